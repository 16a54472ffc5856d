// Real folders and files for the switch tests: a fresh folder under the temp
// directory, removed with everything in it at the end, and snapshots of what
// lies below a folder, to prove that nothing but the one copy was touched.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "platform/handles.h"

namespace support {

class ScratchFolder {
public:
    // `name` may hold Chinese characters; it becomes part of the folder's name.
    // The folder is made in `parent`, the temp folder when none is given.
    explicit ScratchFolder(const std::wstring& name = L"scratch", std::wstring parent = L"");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

private:
    std::wstring path_;
};

struct FileState {
    DWORD attributes;
    std::string bytes;  // empty for folders
    bool operator==(const FileState&) const = default;
};

// Every file and folder below `root`, by path relative to it.
using Snapshot = std::map<std::wstring, FileState>;
Snapshot TakeSnapshot(const std::wstring& root);

// The paths whose presence or state differ between two snapshots.
std::wstring DescribeChanges(const Snapshot& before, const Snapshot& after);

void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);  // "" when unreadable
bool Exists(const std::wstring& path);
void MakeFolder(const std::wstring& path);
void AddAttributes(const std::wstring& path, DWORD attributes);

// The folder of the running test exe (<build>/bin), where the helper programs
// and tovrel.exe are built.
std::wstring TestExeFolder();

// Some bytes that look nothing like text, different for each seed.
std::string SampleTemplate(unsigned seed, size_t size = 20000);

// Removes a file or a folder tree, whatever its attributes.
void RemoveTree(const std::wstring& path);

// A second name `link` for the file `target` (a hard link).
void HardLink(const std::wstring& link, const std::wstring& target);

bool UnderWine();

// Under Wine: a Unix symbolic link `name` in `folder`, leading to `target` (a
// Unix path, relative to the folder), which must be there: Wine sees a link to
// nothing as nothing (one that leads to itself it sees: it says it cannot
// resolve the name). Wine can neither make nor remove a link, so the host's
// own ln and rm do; the link goes with the object, which must go before what
// the link leads to.
class UnixLink {
public:
    UnixLink(std::wstring folder, std::wstring name, const std::wstring& target);
    ~UnixLink();
    UnixLink(const UnixLink&) = delete;
    UnixLink& operator=(const UnixLink&) = delete;

private:
    // Runs a host command in the folder, then waits until the link's name
    // answers other than "not found", or, with `answers` false, no longer does:
    // Wine tells neither when a Unix program ends nor how.
    bool Run(const std::wstring& program, const std::wstring& arguments, bool answers) const;

    std::wstring folder_, name_;
};

// The small disk the full-disk cases fill (tests/support/small_disk.sh), or ""
// when none is mounted: never a disk of any size, which filling would harm.
std::wstring SmallDisk();

// Writes `path` until the disk it is on has no room left.
void FillDisk(const std::wstring& path);

class Process;

// Keeps a file open in another process, sharing it for reading only (the way a
// running Word holds its startup templates) or as `share` says; lets go when
// destroyed.
class HeldOpen {
public:
    explicit HeldOpen(const std::wstring& path, DWORD share = FILE_SHARE_READ);
    ~HeldOpen();
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;

private:
    platform::KernelHandle release_;
    std::unique_ptr<Process> process_;
};

}  // namespace support
