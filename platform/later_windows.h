// Functions of later Windows, looked up rather than imported: Windows XP
// refuses to start an exe with an import it cannot find. The program compiles
// against XP's declarations; what it takes from later Windows is declared here
// by hand, and tests/later_windows_test.cpp checks each against Windows' own.
#pragma once

#include <windows.h>
#include <winternl.h>

struct IUnknown;

namespace platform {

template <class Function>
Function Later(const wchar_t* module, const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(module), name)));
}

namespace later {

// user32: each monitor's DPI (Windows 10 1607), a dialog's own scaling (1703).
using GetDpiForWindow = UINT(WINAPI*)(HWND window);
using GetSystemMetricsForDpi = int(WINAPI*)(int index, UINT dpi);
using AdjustWindowRectExForDpi = BOOL(WINAPI*)(RECT* rect, DWORD style, BOOL menu, DWORD exStyle,
                                               UINT dpi);
using SetDialogDpiChangeBehavior = BOOL(WINAPI*)(HWND dialog, unsigned mask, unsigned values);
using SetDialogControlDpiChangeBehavior = BOOL(WINAPI*)(HWND control, unsigned mask,
                                                        unsigned values);
constexpr unsigned kDialogDisableAll = 0x0001;   // DDC_DISABLE_ALL
constexpr unsigned kControlKeepFont = 0x0001;    // DCDC_DISABLE_FONT_UPDATE
constexpr unsigned kControlKeepLayout = 0x0002;  // DCDC_DISABLE_RELAYOUT
constexpr UINT kDpiChanged = 0x02E0;             // WM_DPICHANGED (8.1)
constexpr UINT kGetDpiScaledSize = 0x02E4;       // WM_GETDPISCALEDSIZE (10 1703)
constexpr DWORD kLiveRegionChanged = 0x8019;     // EVENT_OBJECT_LIVEREGIONCHANGED (8)

// kernel32: where DLLs come from (Windows 8, and 7 with KB2533623).
using SetDefaultDllDirectories = BOOL(WINAPI*)(DWORD directories);
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

// kernel32: a file's records by its handle and its final path (Vista; FileIdInfo, 8).
using GetFileInformationByHandleEx = BOOL(WINAPI*)(HANDLE file, unsigned kind, void* record,
                                                   DWORD size);
using SetFileInformationByHandle = GetFileInformationByHandleEx;
using GetFinalPathNameByHandleW = DWORD(WINAPI*)(HANDLE file, wchar_t* path, DWORD size,
                                                 DWORD flags);
// FILE_INFO_BY_HANDLE_CLASS
enum FileRecordKind : unsigned {
    kRenameRecord = 3,       // FileRenameInfo
    kDispositionRecord = 4,  // FileDispositionInfo
    kIdRecord = 18,          // FileIdInfo
};
struct DispositionRecord {  // FILE_DISPOSITION_INFO
    BOOLEAN DeleteFile;
};
struct RenameRecord {  // FILE_RENAME_INFO
    BOOLEAN ReplaceIfExists;
    HANDLE RootDirectory;
    DWORD FileNameLength;
    WCHAR FileName[1];
};
struct IdRecord {  // FILE_ID_INFO
    ULONGLONG VolumeSerialNumber;
    BYTE FileId[16];
};
constexpr DWORD kDosVolumeName = 0x0;  // VOLUME_NAME_DOS
constexpr DWORD kNtVolumeName = 0x2;   // VOLUME_NAME_NT

// ntdll, which Windows XP has too: the same records as XP knows them.
using NtQueryInformationFile = NTSTATUS(NTAPI*)(HANDLE file, IO_STATUS_BLOCK* status, void* record,
                                                ULONG size, unsigned kind);
using NtSetInformationFile = NtQueryInformationFile;
using RtlNtStatusToDosError = ULONG(NTAPI*)(NTSTATUS status);
using RtlGetLastNtStatus = NTSTATUS(NTAPI*)();
// FILE_INFORMATION_CLASS
enum NativeRecordKind : unsigned {
    kNativeStandardRecord = 5,      // FileStandardInformation
    kNativeRenameRecord = 10,       // FileRenameInformation
    kNativeDispositionRecord = 13,  // FileDispositionInformation
};
struct NativeStandardRecord {  // FILE_STANDARD_INFORMATION
    LARGE_INTEGER AllocationSize;
    LARGE_INTEGER EndOfFile;
    ULONG NumberOfLinks;
    BOOLEAN DeletePending;
    BOOLEAN Directory;
};
constexpr NTSTATUS kDeletePending = static_cast<NTSTATUS>(0xC0000056);  // STATUS_DELETE_PENDING

// ole32, which Windows XP has too, loaded only when a screen reader is told something.
using CoInitializeEx = HRESULT(WINAPI*)(void* reserved, DWORD model);
using CoCreateInstance = HRESULT(WINAPI*)(const CLSID& id, IUnknown* outer, DWORD context,
                                          const IID& iid, void** object);

}  // namespace later

}  // namespace platform

// LATER_WINDOWS(L"user32.dll", GetDpiForWindow): the function, typed as above, or null.
#define LATER_WINDOWS(module, function) \
    ::platform::Later<::platform::later::function>(module, #function)
