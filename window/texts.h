// What the program says to its user, in the window and on the command line.
#pragma once

namespace window {

inline constexpr wchar_t kExplanation[] =
    L"您可以在不卸载本软件的情况下停用/启用Quorlen。\r"
    L"（请注意：只有在关闭Word的情况下才能执行本功能。）";
inline constexpr wchar_t kEnabledText[] = L"Quorlen已启用。“Quorlen”菜单出现在 Microsoft Word 上。";
inline constexpr wchar_t kDisabledText[] =
    L"Quorlen已停用。“Quorlen”菜单不会出现在 Microsoft Word 上。";
inline constexpr wchar_t kNotEnabledMessage[] =
    L"Quorlen没有启用。建议您关闭 Microsoft Word，重新安装Quorlen。";
inline constexpr wchar_t kNotDisabledMessage[] =
    L"Quorlen没有停用。您是不是现在没有关闭 Microsoft Word？请关闭它，再试一次。";
inline constexpr wchar_t kMessageTitle[] = L"Quorlen";

}  // namespace window
