// What the user reads and where Word keeps its settings, written out here once
// rather than taken from the program, so that a slip in the program's own copy
// shows.
#pragma once

#include <string>

namespace support {

inline const std::wstring kTitle = L"Quorlen设置";
inline const std::wstring kExplanation =
    L"您可以在不卸载本软件的情况下停用/启用Quorlen。\r"
    L"（请注意：只有在关闭Word的情况下才能执行本功能。）";
inline const std::wstring kOnRow = L"Quorlen已启用。“Quorlen”菜单出现在 Microsoft Word 上。";
inline const std::wstring kOffRow = L"Quorlen已停用。“Quorlen”菜单不会出现在 Microsoft Word 上。";
inline const std::wstring kNotEnabled =
    L"Quorlen没有启用。建议您关闭 Microsoft Word，重新安装Quorlen。";
inline const std::wstring kNotDisabled =
    L"Quorlen没有停用。您是不是现在没有关闭 Microsoft Word？请关闭它，再试一次。";

inline const std::wstring kWordOptionsKey = L"software\\microsoft\\office\\10.0\\word\\options";
inline const std::wstring kShellFoldersKey =
    L"software\\microsoft\\windows\\currentversion\\explorer\\shell folders";

}  // namespace support
