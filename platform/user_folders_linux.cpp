#include "platform/user_folders.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <fstream>
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

const char* const kPackageLists = "/var/lib/dpkg/info";

namespace {

// Whether a line of one of the *.list files in `lists` is `path`.
bool PackageOwns(const std::string& lists, const std::string& path)
{
    DIR* dir = ::opendir(lists.c_str());
    if (dir == nullptr) return false;
    bool owned = false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() <= 5 || name.compare(name.size() - 5, 5, ".list") != 0) continue;
        std::ifstream list(lists + "/" + name);
        for (std::string line; !owned && std::getline(list, line);) owned = line == path;
        if (owned) break;
    }
    ::closedir(dir);
    return owned;
}

}  // namespace

bool InstalledInSystem(const std::string& exeDir, const std::string& packageLists)
{
    std::string dir = exeDir;
    if (char* real = ::realpath(exeDir.empty() ? "." : exeDir.c_str(), nullptr)) {
        dir = real;
        std::free(real);
    }
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    if (dir == "/usr" || dir.rfind("/usr/", 0) == 0) return true;
    // Packages install as root: a folder of anyone else's was not installed.
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0 || st.st_uid != 0) return false;
    return PackageOwns(packageLists, dir);
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
