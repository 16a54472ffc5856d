// The clock behind the marks of startup_phases.h; linked only into the bench's
// timed builds. The marks are absolute performance-counter readings, which the
// bench compares with its own reading from just before it started the program.
#include "platform/startup_phases.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace platform {

namespace {

struct Mark {
    const char* name;
    LONGLONG ticks;
};
Mark marks[64];
int markCount = 0;

}  // namespace

void EndPhase(const char* name) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (markCount < static_cast<int>(std::size(marks))) {
        marks[markCount++] = {name, now.QuadPart};
    }
}

void ReportPhases() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    path += L".phases.txt";
    if (FILE* file = _wfopen(path.c_str(), L"a")) {
        for (int i = 0; i < markCount; ++i) {
            fprintf(file, "%s=%lld;", marks[i].name, marks[i].ticks);
        }
        fputc('\n', file);
        fclose(file);
    }
}

}  // namespace platform
