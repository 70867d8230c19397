#include "platform/user_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/errors.h"

namespace vt {

int FolderWriteError(const std::string& dir)
{
    // Creating a file needs write and search permission on the folder.
    return ::access(dir.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}

int FileWriteError(const std::string& path)
{
    return ::access(path.c_str(), W_OK) == 0 ? 0 : errno;
}

std::string ExecutableFolder()
{
    char* real = ::realpath("/proc/self/exe", nullptr);
    if (real == nullptr) return {};
    std::string path = real;
    std::free(real);
    return path.substr(0, path.rfind('/') + 1);
}

bool InstalledInSystem(const std::string& exeDir)
{
    std::string dir = exeDir;
    if (char* real = ::realpath(exeDir.empty() ? "." : exeDir.c_str(), nullptr)) {
        dir = real;
        std::free(real);
    }
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    for (const std::string prefix : {"/usr", "/opt"})
        if (dir == prefix || dir.rfind(prefix + "/", 0) == 0) return true;
    return false;
}

std::optional<std::string> HomeFolder()
{
    if (auto home = EnvironmentValue("HOME"); home && !home->empty()) return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buf(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd pw{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found &&
        found->pw_dir && *found->pw_dir)
        return std::string(found->pw_dir);
    return std::nullopt;
}

void CreateFolders(const std::string& dir)
{
    // Each folder from the top down; one that exists already (or appears
    // meanwhile) is used as it is, provided it is a folder.
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos < dir.size() && dir[pos] != '/') continue;
        const std::string part = dir.substr(0, pos);
        if (part.empty() || part.back() == '/') continue;
        if (::mkdir(part.c_str(), 0700) == 0) continue;
        const int code = errno;
        struct stat st {};
        if (::stat(part.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) throw EInOutError(ENOTDIR, part);
            continue;
        }
        throw EInOutError(code, part);
    }
}

}  // namespace vt
