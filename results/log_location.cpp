#include "results/log_location.h"

#include <cerrno>

#include "platform/user_folders.h"
#include "results/results_log.h"

namespace vt {

namespace {

inline constexpr const char* kDataFolderName = "vesktest";

// Only a folder that exists and refuses writing sends the log elsewhere.
bool Refuses(int code)
{
    return code == EACCES || code == EPERM || code == EROFS;
}

}  // namespace

LogPlace ChooseResultsLogPlace(const std::string& exeDir, const LogPlaceInputs& in)
{
    if (in.besideExeWritable && !in.installed) return {exeDir + kResultsLogName, {}};
    std::string base;
    if (in.xdgDataHome && !in.xdgDataHome->empty() && in.xdgDataHome->front() == '/')
        base = *in.xdgDataHome;
    else if (in.home && !in.home->empty())
        base = *in.home + "/.local/share";
    else
        return {exeDir + kResultsLogName, {}};
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    const std::string folder = (base == "/" ? "" : base) + "/" + kDataFolderName;
    return {folder + "/" + kResultsLogName, folder};
}

LogPlaceInputs SystemLogPlaceInputs(const std::string& exeDir)
{
    LogPlaceInputs in;
    const std::string dir = exeDir.empty() ? std::string(".") : exeDir;
    in.besideExeWritable =
        !Refuses(FolderWriteError(dir)) || FileWriteError(exeDir + kResultsLogName) == 0;
    in.installed = in.besideExeWritable && InstalledInSystem(dir);
    if (!in.besideExeWritable || in.installed) {
        in.xdgDataHome = EnvironmentValue("XDG_DATA_HOME");
        in.home = HomeFolder();
    }
    return in;
}

std::string ResultsLogPath(const std::string& exeDir, LogUse use)
{
    const LogPlace place = ChooseResultsLogPlace(exeDir, SystemLogPlaceInputs(exeDir));
    if (use == LogUse::Write && !place.folder.empty()) CreateFolders(place.folder);
    return place.path;
}

}  // namespace vt
