#include "benchmarks/disk_folder.h"

#include <charconv>
#include <filesystem>

#include "platform/drive_space.h"
#include "platform/errors.h"
#include "platform/process_id.h"
#include "platform/user_folders.h"

namespace vt {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPrefix = "vesktest-disk-";
constexpr std::string_view kSuffix = ".tmp";
constexpr std::int64_t kMiB = 1048576;

bool Running(const TProcessCheck& running, std::int64_t pid)
{
    if (pid == CurrentProcessId()) return false;
    return running ? running(pid) : ProcessMayBeRunning(pid);
}

std::string MiB(std::int64_t bytes)
{
    return std::to_string(bytes / kMiB) + " MiB";
}

}  // namespace

std::string DiskTestFileName(std::int64_t pid)
{
    return std::string(kPrefix) + std::to_string(pid) + std::string(kSuffix);
}

std::optional<std::int64_t> DiskTestFilePid(std::string_view name)
{
    if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return std::nullopt;
    const std::string_view digits =
        name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    if (digits.empty() || digits.size() > 10 || digits.front() == '0') return std::nullopt;
    std::int64_t pid = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return pid;
}

std::string PathInFolder(const std::string& folder, const std::string& name)
{
    return (fs::path(folder) / name).string();
}

std::vector<TLeftover> FindLeftoverTestFiles(const std::string& folder,
                                             const TProcessCheck& running)
{
    std::vector<TLeftover> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const auto pid = DiskTestFilePid(it->path().filename().string());
        // A link or a folder under the name is nobody's test file.
        if (!pid || !it->is_regular_file(error) || it->is_symlink(error)) continue;
        if (Running(running, *pid)) continue;
        const auto size = it->file_size(error);
        found.push_back({it->path().string(), error ? 0 : static_cast<std::int64_t>(size)});
    }
    return found;
}

void RemoveLeftoverTestFiles(const std::string& folder,
                             const std::function<void(const std::string&)>& message,
                             const TProcessCheck& running)
{
    for (const TLeftover& file : FindLeftoverTestFiles(folder, running)) {
        std::error_code error;
        if (fs::remove(file.Path, error))
            message("Removed the test file " + file.Path + " (" + MiB(file.Bytes) +
                    ") left by a run that ended without removing it");
        else if (error)
            message("Cannot remove the test file " + file.Path +
                    " left by an earlier run: " + error.message());
    }
}

TDiskFolderFacts ReadDiskFolderFacts(const std::string& folder, const TProcessCheck& running)
{
    TDiskFolderFacts facts;
    std::error_code error;
    facts.IsFolder = !folder.empty() && fs::is_directory(folder, error);
    if (!facts.IsFolder) return facts;
    facts.WriteError = FolderWriteError(folder);
    std::int64_t total = 0, free = 0;
    if (FileSystemSpace(folder, total, free)) {
        for (const TLeftover& file : FindLeftoverTestFiles(folder, running)) free += file.Bytes;
        facts.FreeBytes = free;
    }
    return facts;
}

std::optional<std::string> DiskFolderProblem(const std::string& folder, std::int64_t fileMiB,
                                             const TDiskFolderFacts& facts)
{
    if (!facts.IsFolder) return "there is no folder " + folder;
    if (facts.WriteError != 0)
        return "the folder " + folder + " cannot be written: " + ErrnoText(facts.WriteError);
    if (fileMiB < kDiskMinMiB)
        return "a test file of " + std::to_string(fileMiB) + " MiB is too small (" +
               std::to_string(kDiskMinMiB) + " MiB at least)";
    if (!facts.FreeBytes) return "the free space in " + folder + " cannot be read";
    const std::int64_t free = *facts.FreeBytes;
    // In whole MiB, so that no size can overflow: a file of n MiB fits
    // exactly when n is at most the free space's whole MiB.
    const std::int64_t freeMiB = free / kMiB;
    if (fileMiB > freeMiB)
        return "a test file of " + std::to_string(fileMiB) + " MiB is more than the " + MiB(free) +
               " free in " + folder;
    // The size and a tenth more, rounded up to whole MiB.
    const std::int64_t needMiB = fileMiB + (fileMiB + 9) / 10;
    if (needMiB > freeMiB)
        return folder + " has " + MiB(free) + " free: a test file of " + std::to_string(fileMiB) +
               " MiB needs " + std::to_string(needMiB) + " MiB (its size and 10%)";
    return std::nullopt;
}

}  // namespace vt
