// The folders a user's own files live in, and creating them: what the
// results log needs when the executable's folder cannot be written (an
// installed program).
#pragma once

#include <optional>
#include <string>

namespace vt {

// 0 when this process may create and write files in the folder `dir`, else
// the system's error code (EACCES, EROFS, ENOENT, ...).
int FolderWriteError(const std::string& dir);

// 0 when the existing file `path` may be written, else the system's code.
int FileWriteError(const std::string& path);

// The folder of this process's executable, links resolved, with a trailing
// separator (as the toolkit names it, which needs its application object
// first); empty when the system does not tell.
std::string ExecutableFolder();

// Whether the program whose executable lies in `exeDir` was installed into
// the system rather than unpacked somewhere: on Linux its folder lies under
// /usr (where /bin and /sbin lead too, and /usr/local) or /opt, the places
// packages install to; on Windows under the Program Files folders. Such a
// copy keeps no files beside itself, even for a user who may write there
// (root, an administrator).
bool InstalledInSystem(const std::string& exeDir);

// The value of the environment variable `name`; nothing when it is not set.
std::optional<std::string> EnvironmentValue(const char* name);

// The user's home folder: $HOME, else the account's home folder; nothing
// when neither is known.
std::optional<std::string> HomeFolder();

// Creates the folder `dir` and every missing folder above it, each readable
// only by the user (as the per-user data folders are). A folder that already
// exists is fine; one that cannot be created raises EInOutError with the
// system's code (ENOTDIR when a file stands in the way) and the folder
// it failed on.
void CreateFolders(const std::string& dir);

}  // namespace vt
