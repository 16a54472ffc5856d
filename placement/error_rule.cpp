#include "placement/error_rule.h"

namespace placement {

namespace {
std::wstring* kept = nullptr;
}  // namespace

void KeepPassedOver(std::wstring* lines) {
    kept = lines;
}

void PassOver(const wchar_t* step, DWORD error) {
    if (error == ERROR_SUCCESS) {
        return;
    }
    // wsprintfW's limit; a step is a short name of the program's own.
    wchar_t line[1024];
    const int length = wsprintfW(line, L"tovrel: %.990s: error %lu\n", step, error);
    OutputDebugStringW(line);
    if (kept) {
        kept->append(line, length - 1).append(L"\r\n");
    }
}

}  // namespace placement
