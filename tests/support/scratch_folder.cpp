#include "tests/support/scratch_folder.h"

#include "tests/support/process.h"

#include <random>
#include <stdexcept>
#include <vector>

namespace support {

namespace {

void Fail(const char* what) {
    throw std::runtime_error(std::string(what) + " failed with " + std::to_string(GetLastError()));
}

void SnapshotInto(const std::wstring& root, const std::wstring& relative, Snapshot& out) {
    const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
    WIN32_FIND_DATAW found;
    platform::FindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!search) {
        return;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const std::wstring child = relative.empty() ? name : relative + L"\\" + name;
        const bool isFolder = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        out[child] = {found.dwFileAttributes, isFolder ? "" : ReadBytes(root + L"\\" + child)};
        if (isFolder) {
            SnapshotInto(root, child, out);
        }
    } while (FindNextFileW(search.get(), &found));
}

}  // namespace

ScratchFolder::ScratchFolder(const std::wstring& name, std::wstring parent) {
    static int counter = 0;
    if (parent.empty()) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        parent = temp;
    } else {
        parent += L"\\";
    }
    // A folder left by an earlier run under the same process id goes first;
    // one that will not go (Wine cannot delete a Unix link that leads
    // nowhere) is passed over.
    do {
        path_ = parent + L"tovrel-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter) + L"-" + name;
        RemoveTree(path_);
    } while (Exists(path_));
    MakeFolder(path_);
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(path_);
}

std::wstring TestExeFolder() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return path.substr(0, path.find_last_of(L'\\'));
}

Snapshot TakeSnapshot(const std::wstring& root) {
    Snapshot snapshot;
    SnapshotInto(root, L"", snapshot);
    return snapshot;
}

std::wstring DescribeChanges(const Snapshot& before, const Snapshot& after) {
    std::wstring changes;
    for (const auto& [path, state] : before) {
        auto it = after.find(path);
        if (it == after.end()) {
            changes += L" removed:" + path;
        } else if (!(it->second == state)) {
            changes += L" changed:" + path;
        }
    }
    for (const auto& [path, state] : after) {
        if (!before.count(path)) {
            changes += L" created:" + path;
        }
    }
    return changes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    platform::KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        Fail("CreateFileW");
    }
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) ||
        written != bytes.size()) {
        Fail("WriteFile");
    }
}

std::string ReadBytes(const std::wstring& path) {
    platform::KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) {
        return {};
    }
    std::string bytes(GetFileSize(file.get(), nullptr), '\0');
    DWORD read = 0;
    ::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFolder(const std::wstring& path) {
    if (!CreateDirectoryW(path.c_str(), nullptr)) {
        Fail("CreateDirectoryW");
    }
}

void AddAttributes(const std::wstring& path, DWORD attributes) {
    const DWORD current = GetFileAttributesW(path.c_str());
    if (current == INVALID_FILE_ATTRIBUTES ||
        !SetFileAttributesW(path.c_str(), (current & ~FILE_ATTRIBUTE_NORMAL) | attributes)) {
        Fail("SetFileAttributesW");
    }
}

std::string SampleTemplate(unsigned seed, size_t size) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    return bytes;
}

void RemoveTree(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(path.c_str());
        return;
    }
    std::vector<std::wstring> children;
    WIN32_FIND_DATAW found;
    if (platform::FindHandle search(FindFirstFileW((path + L"\\*").c_str(), &found)); search) {
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") {
                children.push_back(path + L"\\" + name);
            }
        } while (FindNextFileW(search.get(), &found));
    }
    for (const auto& child : children) {
        RemoveTree(child);
    }
    RemoveDirectoryW(path.c_str());
}

void HardLink(const std::wstring& link, const std::wstring& target) {
    if (!CreateHardLinkW(link.c_str(), target.c_str(), nullptr)) {
        Fail("CreateHardLinkW");
    }
}

bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

UnixLink::UnixLink(std::wstring folder, std::wstring name, const std::wstring& target)
    : folder_(std::move(folder)), name_(std::move(name)) {
    if (!Run(L"ln", L"-s " + target + L" " + name_, true)) {
        throw std::runtime_error("ln -s did not make the link");
    }
}

UnixLink::~UnixLink() {
    try {
        Run(L"rm", L"-f " + name_, false);
    } catch (const std::exception&) {
        // Left behind; a later scratch folder takes another name.
    }
}

bool UnixLink::Run(const std::wstring& program, const std::wstring& arguments, bool answers) const {
    const Process run(L"Z:\\bin\\" + program, arguments, folder_);
    const std::wstring link = folder_ + L"\\" + name_;
    for (int i = 0; i < 500; ++i) {
        if ((GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES ||
             GetLastError() != ERROR_FILE_NOT_FOUND) == answers) {
            return true;
        }
        Sleep(20);
    }
    return false;
}

std::wstring SmallDisk() {
    wchar_t path[MAX_PATH] = L"";
    ULARGE_INTEGER total{};
    const DWORD length = GetEnvironmentVariableW(L"TOVREL_SMALL_DISK", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !GetDiskFreeSpaceExW(path, nullptr, &total, nullptr) ||
        total.QuadPart > (4 << 20)) {
        return {};
    }
    return path;
}

void FillDisk(const std::wstring& path) {
    platform::KernelHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    const std::string block(4096, 'x');
    DWORD written = 0;
    while (file &&
           ::WriteFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &written,
                       nullptr) &&
           written == block.size()) {
    }
}

HeldOpen::HeldOpen(const std::wstring& path, DWORD share) {
    static int counter = 0;
    const std::wstring tag =
        std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    const std::wstring readyName = L"tovrel-held-" + tag, releaseName = L"tovrel-release-" + tag;
    platform::KernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
    release_.reset(CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str()));
    process_ = std::make_unique<Process>(
        TestExeFolder() + L"\\hold_file.exe",
        L"\"" + path + L"\" " + readyName + L" " + releaseName + L" " + std::to_wstring(share));
    HANDLE either[] = {ready.get(), process_->handle()};
    if (WaitForMultipleObjects(2, either, FALSE, 30000) != WAIT_OBJECT_0) {
        throw std::runtime_error("hold_file did not open the file");
    }
}

HeldOpen::~HeldOpen() {
    SetEvent(release_.get());
    process_->WaitForExit(30000);
}

}  // namespace support
