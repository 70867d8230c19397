// Test 7's folder: whether a test file of a given size may be made there,
// and the test files that killed runs left behind.
//
// The test file is named after the process that made it
// ("vesktest-disk-<pid>.tmp"). A run removes such a file only when its
// process no longer runs (or is this one): two runs in one folder never
// touch each other's file, and a file left by a run that was killed (SIGKILL,
// power loss) goes at the next run there, with a message naming it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt {

inline constexpr std::int64_t kDiskMinMiB = 64;
inline constexpr std::int64_t kDiskDefaultMiB = 1024;
inline constexpr int kDiskMinSeconds = 1;
inline constexpr int kDiskMaxSeconds = 60;
inline constexpr int kDiskDefaultSeconds = 5;

// "vesktest-disk-<pid>.tmp".
std::string DiskTestFileName(std::int64_t pid);

// The process number in a test file's name; nothing for any other name.
std::optional<std::int64_t> DiskTestFilePid(std::string_view name);

// `folder` and `name` joined with the system's separator.
std::string PathInFolder(const std::string& folder, const std::string& name);

// Whether process `pid` may still run; ProcessMayBeRunning unless a test
// puts its own in.
using TProcessCheck = std::function<bool(std::int64_t pid)>;

struct TLeftover {
    std::string Path;
    std::int64_t Bytes = 0;
};

// The regular files in `folder` named as test files whose process no longer
// runs, or is this one.
std::vector<TLeftover> FindLeftoverTestFiles(const std::string& folder,
                                             const TProcessCheck& running = {});

// Removes those files; for each, `message` gets a line naming it (or saying
// why it could not be removed).
void RemoveLeftoverTestFiles(const std::string& folder,
                             const std::function<void(const std::string&)>& message,
                             const TProcessCheck& running = {});

// What the checks look at; the system's answers, or a test's.
struct TDiskFolderFacts {
    bool IsFolder = false;
    int WriteError = 0;                     // 0 when files may be made there
    std::optional<std::int64_t> FreeBytes;  // nothing when it cannot be read
};

// The facts of `folder`; the leftovers a run would remove count as free.
TDiskFolderFacts ReadDiskFolderFacts(const std::string& folder, const TProcessCheck& running = {});

// Why a test file of `fileMiB` MiB cannot be made in `folder`, or nothing: a
// missing folder (or not a folder), one that cannot be written, a size below
// kDiskMinMiB or above the free space, or less free than the size and 10%.
std::optional<std::string> DiskFolderProblem(const std::string& folder, std::int64_t fileMiB,
                                             const TDiskFolderFacts& facts);

}  // namespace vt
