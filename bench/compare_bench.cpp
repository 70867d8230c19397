// Comparing results logs, two figures.
//
// Opening a log: each pair reads a 100,000-line log as the Compare window
// and `vesktest compare` do (in pieces, every line parsed and kept in the
// compact form the machines are grouped from) and, alternately, reads the
// same file's lines into strings alone (results_log::Load). Parsing must cost
// at most three times the plain read.
//
// The machine table of a merged log of 1,000,000 lines (about 85 MB, 350
// machines under both decimal separators, Cyrillic descriptions): each pair
// runs `vesktest compare --csv LOG` (and `--text`) as a new process, output
// to /dev/null, and, alternately, a plain script that reads the same lines,
// splits them at their separators and parses every score as a number
// (bench/read_split.py, python3), nothing more. The program must take at most
// half the script's time, and at most 250 MB resident; so must `--runs`, which
// prints every line.
//
// The machine table of a records log of 1,000,000 records (about 1.5 GB, as
// batch --save writes them: 200 hosts, every machine fact, the conditions,
// the result line): each pair runs `vesktest compare --csv LOG` and,
// alternately, a plain loop of json.loads over the same lines
// (bench/read_json.py). The program must take at most half the loop's time,
// and at most 300 MB resident.
//
// Usage: compare_bench [pairs] [records] (11 pairs unless given; the
// million-line figures take a third of that, at least 3; "records": only the
// records log's figures); compare_bench write-records PATH writes the
// records log alone, compare_bench write-log PATH the million-line log.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "bench/bench_report.h"
#include "compare/log_runs.h"
#include "platform/cp1251.h"
#include "results/result_line.h"
#include "results/results_log.h"
#include "results/run_record_json.h"

namespace {

constexpr int kLines = 100000;
constexpr int kBigLines = 1000000;
constexpr double kMemoryLimitMiB = 250;
constexpr double kRecordsMemoryLimitMiB = 300;

template <class Work>
double Seconds(Work work)
{
    const auto t = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

// Lines of several machines under both separators, with Cyrillic
// descriptions, as a log collected over years looks: each machine's runs
// scatter by up to 15% around its own level.
void WriteLog(const std::string& path, int lines)
{
    std::ofstream log(path, std::ios::binary);
    for (const std::string& h : vt::ResultsLogHeader()) log << h << "\r\n";
    std::uint32_t seed = 12345;
    auto noise = [&] {
        seed = seed * 134775813 + 1;
        return 0.85 + 0.3 * (seed >> 8) / double(1 << 24);
    };
    for (int i = 0; i < lines; ++i) {
        const int machine = i % 350;
        const double f = 1 + (machine % 97) / 20.0;
        const vt::TScores s{0.3 * f * noise(),  0.04 * f * noise(), 0.5 * f * noise(),
                            9000 / f * noise(), 1500 / f * noise(), 3000 / f * noise(),
                            1.1 * f * noise(),  60 / f * noise()};
        log << vt::FormatResultLine(
                   s, vt::Ansi(machine % 3 ? "Машина " : "Machine ") + std::to_string(machine % 50),
                   "WD" + std::to_string(machine / 50), {i % 2 ? ',' : '.', ' '})
            << "\r\n";
    }
}

// Records of 200 machines as batch --save writes them, scores scattered as
// in WriteLog, every tenth run of each machine disturbed.
void WriteRecords(const std::string& path, int lines)
{
    std::ofstream log(path, std::ios::binary);
    std::uint32_t seed = 54321;
    auto noise = [&] {
        seed = seed * 134775813 + 1;
        return 0.85 + 0.3 * (seed >> 8) / double(1 << 24);
    };
    vt::TRunRecord r;
    r.Tests = {1, 2, 3, 4, 5};
    r.Vendor = "AuthenticAMD";
    r.Model = "Unknown AMD Chip";
    r.DiskGb = "252.0";
    r.PaintPlatform = "offscreen";
    r.LogicalCpus = 16;
    r.CpusAllowed = 16;
    r.Hypervisor = true;
    r.HypervisorVendor = "KVMKVMKVM";
    r.Os = "Debian GNU/Linux 12 (bookworm)";
    r.Kernel = "Linux 6.1.0-21-amd64";
    r.Arch = "x86_64";
    r.Version = "1.1";
    r.Date = "2026-12-08";
    r.Started = "2026-12-08T17:04:08+01:00";
    r.Shapes = 10000;
    r.MemoryBlockMiB = 512;
    r.File = "/srv/test/big.bin";
    r.FileBytes = 1073741824;
    r.FileSystem = "ext4";
    r.StorageKind = "disk";
    for (int i = 0; i < lines; ++i) {
        const int machine = i % 200;
        const double f = 1 + (machine % 97) / 20.0;
        r.Scores = {0.3 * f * noise(),  0.04 * f * noise(), 0.5 * f * noise(), 9000 / f * noise(),
                    1500 / f * noise(), 3000 / f * noise(), 1.1 * f * noise(), 60 / f * noise()};
        r.Host = "host-" + std::to_string(machine);
        r.CpuBrand = "AMD EPYC 7B13 64-Core Processor " + std::to_string(machine % 7);
        r.MemoryMiB = 16384 * (1 + machine % 4);
        r.CpuMHz = 2445.9 + machine;
        r.Description = (machine % 3 ? "Машина " : "Machine ") + std::to_string(machine % 50);
        r.Label = "252,0gb/";
        r.Run = i % 9 + 1;
        r.Runs = 9;
        r.LoadAverage = 0.25 * noise();
        vt::TRunConditions c;
        c.ThreadCpuShare = 0.99 * noise();
        c.OtherCpuBeforePct = 3 * noise();
        c.OtherCpuDuringPct = 2 * noise();
        c.StealPct = 0.5 * noise();
        c.ClockMinMHz = 2400;
        c.ClockMaxMHz = 3500;
        c.Governor = "schedutil";
        c.ThrottleEvents = 0;
        c.MaxTemperatureC = 55 * noise();
        c.Quiet = i / 200 % 10 != 0;
        if (!c.Quiet) c.Disturbances = {"other processes used 97% of a CPU"};
        r.Conditions = c;
        r.Line = vt::FormatResultLine(r.Scores, vt::Utf8ToCp1251(r.Description),
                                      vt::Utf8ToCp1251(r.Label), {',', ' '});
        log << vt::RecordToJson(r) << '\n';
    }
}

struct TChild {
    double seconds = 0;
    double cpuSeconds = 0;   // user and system time, every thread
    double residentMiB = 0;  // the most it held
};

// Runs `arguments` as a new process, standard output to /dev/null, and
// measures its wall-clock time and peak resident memory.
TChild Run(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        throw std::runtime_error("failed: " + arguments.front() + " " + arguments[1]);
    TChild child;
    child.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    child.residentMiB = static_cast<double>(usage.ru_maxrss) / 1024;  // KiB on Linux
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    child.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    return child;
}

// The records log's figures; 0 when measured.
int Records(const QTemporaryDir& dir, int pairs)
{
    using namespace vt::bench;
    const std::string records = dir.filePath("Result3.jsonl").toStdString();
    WriteRecords(records, kBigLines);
    Detail("records log of %d records\n", kBigLines);
    try {
        std::vector<double> memory;
        const Pairs table = RunAlternating(
            "records", pairs,
            [&] {
                const TChild c = Run({VESKTEST_EXECUTABLE, "compare", "--csv", records});
                memory.push_back(c.residentMiB);
                return c.seconds;
            },
            [&] {
                return Run({"python3", VESKTEST_SOURCE_DIR "/bench/read_json.py", records}).seconds;
            });
        ReportRatio("compare --csv records log, 1,000,000 records vs json.loads loop", "s", table,
                    Target::AtMost(0.5));
        ReportLimit("compare 1,000,000 records resident", "MiB", memory, kRecordsMemoryLimitMiB);
    } catch (const std::exception& e) {
        Detail("%s\n", e.what());
        return 2;
    }
    std::remove(records.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace vt::bench;
    QCoreApplication app(argc, argv);
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    const bool recordsOnly = argc > 2 && std::string(argv[2]) == "records";
    if (argc > 2 && std::string(argv[1]) == "write-records") {
        WriteRecords(argv[2], kBigLines);  // the records log alone, to time by hand
        return 0;
    }
    if (argc > 2 && std::string(argv[1]) == "write-log") {
        WriteLog(argv[2], kBigLines);  // the million-line results log alone
        return 0;
    }
    const int bigPairs = std::max(3, pairs / 3);
    QTemporaryDir dir;
    if (recordsOnly) return Records(dir, bigPairs);
    const QString path = dir.filePath("Result3.txt");
    WriteLog(path.toStdString(), kLines);
    Detail("log of %d lines\n", kLines);

    std::size_t rows = 0, lines = 0;
    const Pairs open = RunAlternating(
        "open", pairs, [&] { return Seconds([&] { rows = vt::LoadLogRuns(path)->Lines.size(); }); },
        [&] {
            return Seconds([&] { lines = vt::results_log::Load(path.toStdString())->size(); });
        });
    Detail("%zu rows parsed, %zu lines read\n", rows, lines);
    if (rows != static_cast<std::size_t>(kLines)) return 1;
    ReportRatio("compare open 100,000-line log vs read lines", "s", open, Target::AtMost(3));

    const std::string big = dir.filePath("Big.txt").toStdString();
    WriteLog(big, kBigLines);
    Detail("log of %d lines\n", kBigLines);
    try {
        std::vector<double> memory, runsMemory;
        const std::vector<std::string> script = {"python3",
                                                 VESKTEST_SOURCE_DIR "/bench/read_split.py", big};
        for (const char* format : {"--csv", "--text"}) {
            const Pairs table = RunAlternating(
                format, bigPairs,
                [&] {
                    const TChild c = Run({VESKTEST_EXECUTABLE, "compare", format, big});
                    memory.push_back(c.residentMiB);
                    return c.seconds;
                },
                [&] { return Run(script).seconds; });
            ReportRatio(std::string("compare ") + format +
                            " machine table, 1,000,000 lines vs read and split",
                        "s", table, Target::AtMost(0.5));
        }
        for (int run = 0; run < bigPairs; ++run)
            runsMemory.push_back(
                Run({VESKTEST_EXECUTABLE, "compare", "--csv", "--runs", big}).residentMiB);
        ReportLimit("compare 1,000,000 lines resident, machine table", "MiB", memory,
                    kMemoryLimitMiB);
        ReportLimit("compare 1,000,000 lines resident, --runs", "MiB", runsMemory, kMemoryLimitMiB);
    } catch (const std::exception& e) {
        Detail("%s\n", e.what());
        return 2;
    }
    return Records(dir, bigPairs);
}
