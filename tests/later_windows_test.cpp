// What platform/later_windows.h declares by hand, checked against Windows 10's
// own declarations: a function's pointer type (an enumeration parameter as
// the number it is), and the numbers and records it takes. Nothing runs here:
// a declaration that differs does not compile.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#define WIN32_NO_STATUS
#include <windows.h>
#undef WIN32_NO_STATUS
#include <ntstatus.h>
#include <objbase.h>
#include <winternl.h>

#include <cstddef>
#include <type_traits>

#include "platform/later_windows.h"

namespace {

namespace later = platform::later;

template <class T, bool = std::is_enum_v<T>>
struct AsNumber {
    using type = T;
};
template <class T>
struct AsNumber<T, true> {
    using type = std::underlying_type_t<T>;
};

// Windows' declaration of a function, with each enumeration parameter as its
// number. The calling convention is part of the type on 32-bit Windows.
template <class Function>
struct Declared;
template <class Result, class... Parameters>
struct Declared<Result(WINAPI*)(Parameters...)> {
    using type = Result(WINAPI*)(typename AsNumber<Parameters>::type...);
};

template <class Enumeration>
constexpr unsigned Number(Enumeration value) {
    return static_cast<unsigned>(value);
}

#define AS_WINDOWS_DECLARES(function)                                                     \
    static_assert(std::is_same_v<later::function, Declared<decltype(&::function)>::type>, \
                  #function " is declared as Windows declares it")

AS_WINDOWS_DECLARES(GetDpiForWindow);
AS_WINDOWS_DECLARES(GetSystemMetricsForDpi);
AS_WINDOWS_DECLARES(AdjustWindowRectExForDpi);
AS_WINDOWS_DECLARES(SetDialogDpiChangeBehavior);
AS_WINDOWS_DECLARES(SetDialogControlDpiChangeBehavior);
AS_WINDOWS_DECLARES(SetDefaultDllDirectories);
AS_WINDOWS_DECLARES(GetFileInformationByHandleEx);
AS_WINDOWS_DECLARES(SetFileInformationByHandle);
AS_WINDOWS_DECLARES(GetFinalPathNameByHandleW);
AS_WINDOWS_DECLARES(NtQueryInformationFile);
AS_WINDOWS_DECLARES(NtSetInformationFile);
AS_WINDOWS_DECLARES(RtlNtStatusToDosError);
AS_WINDOWS_DECLARES(CoInitializeEx);
AS_WINDOWS_DECLARES(CoCreateInstance);
// RtlGetLastNtStatus is in no header MinGW ships; it takes nothing and answers
// an NTSTATUS, as ntdll exports it.

static_assert(later::kDialogDisableAll == DDC_DISABLE_ALL);
static_assert(later::kControlKeepFont == DCDC_DISABLE_FONT_UPDATE);
static_assert(later::kControlKeepLayout == DCDC_DISABLE_RELAYOUT);
static_assert(later::kDpiChanged == WM_DPICHANGED);
static_assert(later::kGetDpiScaledSize == WM_GETDPISCALEDSIZE);
static_assert(later::kLiveRegionChanged == EVENT_OBJECT_LIVEREGIONCHANGED);
static_assert(later::kSearchSystem32 == LOAD_LIBRARY_SEARCH_SYSTEM32);
static_assert(Number(later::kRenameRecord) == Number(FileRenameInfo));
static_assert(Number(later::kDispositionRecord) == Number(FileDispositionInfo));
static_assert(Number(later::kIdRecord) == Number(FileIdInfo));
static_assert(later::kDosVolumeName == VOLUME_NAME_DOS);
static_assert(later::kNtVolumeName == VOLUME_NAME_NT);
static_assert(Number(later::kNativeStandardRecord) == Number(FileStandardInformation));
static_assert(Number(later::kNativeRenameRecord) == Number(FileRenameInformation));
static_assert(Number(later::kNativeDispositionRecord) == Number(FileDispositionInformation));
static_assert(later::kDeletePending == STATUS_DELETE_PENDING);

// A record laid out as Windows' own: the same size, each field at the same
// place and of the same size.
#define SAME_FIELD(ours, theirs, field)                                      \
    static_assert(offsetof(later::ours, field) == offsetof(theirs, field) && \
                      sizeof(later::ours::field) == sizeof(theirs::field),   \
                  #ours "::" #field " lies where " #theirs "'s does")

static_assert(sizeof(later::DispositionRecord) == sizeof(FILE_DISPOSITION_INFO));
SAME_FIELD(DispositionRecord, FILE_DISPOSITION_INFO, DeleteFile);
static_assert(sizeof(later::RenameRecord) == sizeof(FILE_RENAME_INFO));
SAME_FIELD(RenameRecord, FILE_RENAME_INFO, ReplaceIfExists);
SAME_FIELD(RenameRecord, FILE_RENAME_INFO, RootDirectory);
SAME_FIELD(RenameRecord, FILE_RENAME_INFO, FileNameLength);
SAME_FIELD(RenameRecord, FILE_RENAME_INFO, FileName);
static_assert(sizeof(later::IdRecord) == sizeof(FILE_ID_INFO));
SAME_FIELD(IdRecord, FILE_ID_INFO, VolumeSerialNumber);
SAME_FIELD(IdRecord, FILE_ID_INFO, FileId);
static_assert(sizeof(later::NativeStandardRecord) == sizeof(FILE_STANDARD_INFORMATION));
SAME_FIELD(NativeStandardRecord, FILE_STANDARD_INFORMATION, AllocationSize);
SAME_FIELD(NativeStandardRecord, FILE_STANDARD_INFORMATION, EndOfFile);
SAME_FIELD(NativeStandardRecord, FILE_STANDARD_INFORMATION, NumberOfLinks);
SAME_FIELD(NativeStandardRecord, FILE_STANDARD_INFORMATION, DeletePending);
SAME_FIELD(NativeStandardRecord, FILE_STANDARD_INFORMATION, Directory);

}  // namespace
