#include <windows.h>

#include <cerrno>

#include "platform/errors.h"
#include "platform/system_error_win32.h"
#include "platform/user_folders.h"

namespace vt {

std::string ExecutableFolder()
{
    std::string path(32768, '\0');
    const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0 || n >= path.size()) return {};
    path.resize(n);
    for (char& c : path)
        if (c == '\\') c = '/';
    return path.substr(0, path.rfind('/') + 1);
}

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace

bool InstalledInSystem(const std::string& exeDir)
{
    std::string dir = Lower(exeDir);
    for (char& c : dir)
        if (c == '/') c = '\\';
    for (const char* name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"}) {
        const std::optional<std::string> folder = EnvironmentValue(name);
        if (!folder || folder->empty()) continue;
        std::string prefix = Lower(*folder);
        if (prefix.back() != '\\') prefix += '\\';
        if (dir.rfind(prefix, 0) == 0) return true;
    }
    return false;
}

int FolderWriteError(const std::string& dir)
{
    // Windows has no access test for folders that tells the truth about
    // their ACLs: a file is created in it and deleted again on close.
    const DWORD attributes = ::GetFileAttributesA(dir.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastErrno();
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return ENOTDIR;
    std::string probe = dir;
    if (!probe.empty() && probe.back() != '\\' && probe.back() != '/') probe += '\\';
    probe += "vesktest-write-probe.tmp";
    const HANDLE h = ::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const int code = LastErrno();
        // A probe left behind by a killed run still proves the folder writable.
        return code == EEXIST ? 0 : code;
    }
    ::CloseHandle(h);
    return 0;
}

int FileWriteError(const std::string& path)
{
    const HANDLE h =
        ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastErrno();
    ::CloseHandle(h);
    return 0;
}

std::optional<std::string> HomeFolder()
{
    if (auto home = EnvironmentValue("HOME"); home && !home->empty()) return home;
    if (auto profile = EnvironmentValue("USERPROFILE"); profile && !profile->empty())
        return profile;
    return std::nullopt;
}

void CreateFolders(const std::string& dir)
{
    // Each folder from the top down, after the drive ("C:\") or share root;
    // one that exists already is used as it is, provided it is a folder.
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos < dir.size() && dir[pos] != '/' && dir[pos] != '\\') continue;
        const std::string part = dir.substr(0, pos);
        if (part.empty() || part.back() == '/' || part.back() == '\\' || part.back() == ':')
            continue;
        if (::CreateDirectoryA(part.c_str(), nullptr)) continue;
        const int code = LastErrno();
        const DWORD attributes = ::GetFileAttributesA(part.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) throw EInOutError(ENOTDIR, part);
            continue;
        }
        throw EInOutError(code, part);
    }
}

}  // namespace vt
