// The disk profile's eight figures against fio's on the same test file, in
// the same run: the same request size and depth, one job, the cache
// bypassed (direct=1), the same engine (io_uring), the same seconds. The
// file is made and filled once by the profile's own code, beside this
// executable (so on the disk of the build folder, never in a memory file
// system), and removed however the bench ends. Each figure is measured in
// pairs, ours and fio's back to back, the side that goes first alternating;
// the two should agree within 10%.
//
// As in the file read bench, both sides run on one processor (this bench is
// pinned to the one it starts on, and fio, started from it, inherits that),
// and each of our measurements runs in a process of its own, forked for it,
// as each fio is: a request with one in flight waits for the device, and how
// soon the waiting process wakes depends on where it runs and on how the
// scheduler sees it.
//
// Usage: disk_bench [pairs] [--disk-size MIB] [--disk-seconds S] [--only SCORE]
//        (2 pairs after one warm-up pair, 1024 MiB, 5 s, all eight unless given)
#include <sched.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_report.h"
#include "bench/in_new_process.h"
#include "benchmarks/disk_folder.h"
#include "benchmarks/disk_profile.h"
#include "platform/process_id.h"
#include "platform/stop_request.h"
#include "results/score_table.h"

namespace {

using namespace vt;

// fio's rate in MiB/s for one phase, from its terse line (version 3: the
// read side's KiB and milliseconds in fields 6 and 9, the write side's in 47
// and 50).
double FioSpeed(const std::string& path, std::int64_t fileBytes, const TDiskPhase& phase,
                int seconds)
{
    const char* rw = phase.Kind == TIoKind::Read ? (phase.Random ? "randread" : "read")
                                                 : (phase.Random ? "randwrite" : "write");
    const std::string command =
        "fio --name=disk_bench --filename='" + path + "' --size=" + std::to_string(fileBytes) +
        " --rw=" + rw + " --bs=" + std::to_string(phase.Block) +
        " --iodepth=" + std::to_string(phase.Depth) +
        " --numjobs=1 --direct=1 --ioengine=io_uring --time_based --runtime=" +
        std::to_string(seconds) + " --output-format=terse --terse-version=3 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) throw Exception("cannot start fio");
    std::string output;
    char chunk[4096];
    while (std::fgets(chunk, sizeof chunk, pipe)) output += chunk;
    if (::pclose(pipe) != 0) throw Exception("fio failed: " + output);
    std::vector<std::string> fields;
    std::istringstream line(output.substr(output.rfind("3;fio-")));
    for (std::string field; std::getline(line, field, ';');) fields.push_back(field);
    const std::size_t kb = phase.Kind == TIoKind::Read ? 5 : 46;
    if (fields.size() < 50 || fields[4] != "0") throw Exception("unexpected fio output: " + output);
    const double kib = std::stod(fields[kb]), ms = std::stod(fields[kb + 3]);
    if (ms <= 0) throw Exception("fio measured no time: " + output);
    return kib / 1024 / ms * 1000;
}

// Our figure for phase `index`, measured in a forked process with a queue
// of its own on the same open file. The child never runs a destructor: the
// file is the parent's to remove.
double OursInNewProcess(TTestFile& file, std::int64_t fileBytes, std::size_t index, int seconds)
{
    return vt::bench::InNewProcess(
        [&] {
            TDiskRequests requests(file, fileBytes, 20261208 + index, SystemTicks(), nullptr);
            return requests.Measure(index, seconds * 1000).MiBPerSec;
        },
        "our measurement failed");
}

// The score's name, from the score table.
std::string ScoreName(const TDiskPhase& phase)
{
    for (const TScoreRow& row : kScoreTable)
        if (row.Value == phase.Score) return row.Name;
    return phase.Part;
}

// Why the folder cannot hold the test file, or empty when it can.
std::string UnsuitableFolder(const std::string& folder, std::int64_t fileMiB)
{
    struct statfs fs {};
    if (::statfs(folder.c_str(), &fs) != 0) return std::strerror(errno);
    constexpr long kTmpfs = 0x01021994, kRamfs = 0x858458f6;
    if (fs.f_type == kTmpfs || fs.f_type == kRamfs) return "it is a memory file system, not a disk";
    if (const auto problem = DiskFolderProblem(folder, fileMiB, ReadDiskFolderFacts(folder)))
        return *problem;
    return {};
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace vt::bench;
    int pairs = 2;
    std::int64_t fileMiB = kDiskDefaultMiB;
    int seconds = kDiskDefaultSeconds;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--disk-size" && i + 1 < argc)
            fileMiB = std::atoll(argv[++i]);
        else if (a == "--disk-seconds" && i + 1 < argc)
            seconds = std::atoi(argv[++i]);
        else if (a == "--only" && i + 1 < argc)
            only = argv[++i];
        else
            pairs = std::max(1, std::atoi(argv[i]));
    }
    if (std::system("command -v fio >/dev/null") != 0) {
        Detail("fio is not installed (tools/bench installs it)\n");
        return 2;
    }
    const std::string folder =
        std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
    if (const std::string why = UnsuitableFolder(folder, fileMiB); !why.empty()) {
        Detail("cannot measure in %s: %s\n", folder.c_str(), why.c_str());
        return 2;
    }
    // Ctrl+C and kill end the bench through the same stop request as batch:
    // requests waited for, the file removed.
    CatchStopRequests();
    RemoveLeftoverTestFiles(folder, [](const std::string& m) { Detail("%s\n", m.c_str()); });
    try {
        TTestFile file;
        const std::string path = PathInFolder(folder, DiskTestFileName(CurrentProcessId()));
        const std::int64_t fileBytes = fileMiB * 1048576;
        if (const int error = file.Create(path)) throw EInOutError(error, path);
        if (const int error = file.Resize(fileBytes)) throw EInOutError(error, path);
        TDiskRequests requests(file, fileBytes, 20261208, SystemTicks(), &StopRequestFlag());
        Detail("writing %lld MiB to %s\n", static_cast<long long>(fileMiB), path.c_str());
        requests.Fill();
        requests.Close();
        const int cpu = sched_getcpu();
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        if (cpu >= 0 && sched_setaffinity(0, sizeof one, &one) == 0)
            Detail("both sides run on processor %d\n", cpu);
        for (std::size_t i = 0; i < kDiskPhases.size(); ++i) {
            const TDiskPhase& phase = kDiskPhases[i];
            const std::string name = ScoreName(phase);
            if (!only.empty() && name != only) continue;
            const Pairs figures = RunAlternating(
                name.c_str(), pairs,
                [&] {
                    CheckStopRequest();
                    return OursInNewProcess(file, fileBytes, i, seconds);
                },
                [&] {
                    CheckStopRequest();
                    return FioSpeed(path, fileBytes, phase, seconds);
                });
            ReportRatio("disk " + name, "MiB/s", figures, Target::Within(0.10));
        }
        return 0;
    } catch (const TStopRequest& stop) {
        return StopExitStatus(stop.Signal);
    } catch (const std::exception& e) {
        Detail("%s\n", e.what());
        return 2;
    }
}
