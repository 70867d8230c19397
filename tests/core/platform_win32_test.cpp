// The Windows implementations of the platform services, where they behave
// differently from the Linux ones.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "benchmarks/file_read.h"
#include "platform/direct_file.h"
#include "platform/drive_space.h"
#include "platform/errors.h"
#include "platform/file_system_type.h"
#include "platform/format_settings.h"
#include "platform/priority.h"
#include "platform/system_counters.h"
#include "platform/tick_count.h"
#include "platform/user_folders.h"
#include "results/log_location.h"
#include "results/results_log.h"
#include "sysinfo/probes.h"

namespace vt {
namespace {

namespace fs = std::filesystem;

class Win32Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("vt_win32_" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    void Write(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    fs::path dir_;
};

TEST(Win32Drives, LettersFromCOnThatHoldALocalFileSystem)
{
    auto drive = [](const char* letter, const char* type, const char* fsType) {
        TMountEntry e;
        e.Device = e.Source = letter;
        e.MountPoint = std::string(letter) + "\\";
        e.SuperOptions = type;
        e.FsType = fsType;
        return e;
    };
    const std::vector<TMountEntry> table = {
        drive("A:", "removable", "FAT"), drive("C:", "fixed", "NTFS"),
        drive("D:", "cdrom", "CDFS"),    drive("E:", "remote", "NTFS"),
        drive("F:", "removable", ""),    drive("G:", "removable", "exFAT"),
        drive("H:", "ramdisk", "NTFS"),  drive("I:", "fixed", "NTFS"),
        drive("J:", "fixed", "ReFS")};
    std::vector<std::string> letters;
    for (const TMountEntry& m : SelectDriveMounts(table)) letters.push_back(m.Device);
    EXPECT_EQ(letters, (std::vector<std::string>{"C:", "G:", "I:", "J:"}));
    EXPECT_EQ(SelectDriveMounts(table, 1).size(), 1u);

    // The system drive is there, and it has a size the probe can read.
    const auto drives = SelectDriveMounts(ReadMountTable());
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives[0].MountPoint, "C:\\");
    std::int64_t total = 0, avail = 0;
    ASSERT_TRUE(GetDriveSpace(2, total, avail));
    EXPECT_GT(total, 0);
    EXPECT_LE(avail, total);
    EXPECT_FALSE(FileSystemSpace("Q:\\no\\such\\drive", total, avail));
}

TEST_F(Win32Test, DirectReadOfAFileThatIsNotAWholeNumberOfSectors)
{
    const std::string name = Path("data.bin");
    const std::int64_t size = 2 * kFileReadRequest + 1000;
    Write(name, std::string(static_cast<std::size_t>(size), 'x'));

    TDirectFile file;
    ASSERT_EQ(file.Open(name), 0);
    EXPECT_EQ(file.Size(), size);
    const std::size_t alignment = file.BufferAlignment();
    EXPECT_GE(alignment, 4096u);
    EXPECT_EQ(alignment & (alignment - 1), 0u);
    {
        TAlignedBuffer buffer;
        ASSERT_TRUE(buffer.Allocate(kFileReadRequest, alignment));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.Data()) % alignment, 0u);
        const TFileReadRun run = ReadWholeFile(file, size, buffer.Data(), SystemTicks(), name);
        EXPECT_EQ(run.Bytes, size);
        EXPECT_EQ(run.Requests, 3);
        EXPECT_EQ(file.Read(buffer.Data(), kFileReadRequest), 0);  // the end
    }
    EXPECT_EQ(TAlignedBuffer::LiveCount(), 0);
    file.Close();
    EXPECT_FALSE(file.IsOpen());

    EXPECT_EQ(file.Open(Path("missing.bin")), ENOENT);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(DirectoryEntrySize(name), size);
    EXPECT_EQ(DirectoryEntrySize(dir_.string()), 0);
    EXPECT_TRUE(FileExists(name));
    EXPECT_FALSE(FileExists(dir_.string()));
}

TEST(Win32Ticks, AreTheSystemCounterTruncatedTo32Bits)
{
    const std::uint64_t before = GetTickCount64();
    const std::uint32_t ticks = vt::GetTickCount();
    const std::uint64_t after = GetTickCount64();
    // The counter wraps where the 64-bit one passes a multiple of 2^32.
    EXPECT_GE(TickDiff(ticks, static_cast<std::uint32_t>(before)), 0);
    EXPECT_LE(TickDiff(ticks, static_cast<std::uint32_t>(after)), 0);
}

TEST(Win32Priority, RaisedInsideTheScopeAndRestoredOnEveryExit)
{
    const TSchedulingState before = CurrentSchedulingState();
    try {
        TRaisedPriority raised;
        const TSchedulingState inside = CurrentSchedulingState();
        EXPECT_TRUE(inside.ThreadPolicy == REALTIME_PRIORITY_CLASS ||
                    inside.ThreadPolicy == HIGH_PRIORITY_CLASS);
        EXPECT_EQ(raised.RealTime(), inside.ThreadPolicy == REALTIME_PRIORITY_CLASS);
        EXPECT_EQ(inside.ThreadPriority, THREAD_PRIORITY_TIME_CRITICAL);
        throw EAbort();
    } catch (const EAbort&) {
    }
    EXPECT_EQ(CurrentSchedulingState(), before);
}

TEST_F(Win32Test, ResultsLogAppendsCreatesAndReportsFailures)
{
    const std::string log = Path("Result3.txt");
    results_log::Append(log, "one");
    Write(Path("cut.txt"), "half a line");
    results_log::Append(Path("cut.txt"), "two");
    results_log::Append(log, "three");

    const auto lines = results_log::Load(log);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 7u);
    EXPECT_EQ((*lines)[0], ResultsLogHeader()[0]);
    EXPECT_EQ((*lines)[5], "one");
    EXPECT_EQ((*lines)[6], "three");
    EXPECT_EQ(results_log::Load(Path("cut.txt")), (std::vector<std::string>{"half a line", "two"}));
    EXPECT_FALSE(results_log::Load(Path("missing.txt")));

    struct Fault {
        std::string path;
        bool load;
        int code;
    } faults[] = {{Path("no\\such\\Result3.txt"), false, ENOENT},
                  {dir_.string(), false, EACCES},
                  {dir_.string(), true, EISDIR}};
    for (const Fault& f : faults) {
        try {
            if (f.load)
                results_log::Load(f.path);
            else
                results_log::Append(f.path, "x");
            ADD_FAILURE() << f.path << " did not fail";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.ErrorCode(), f.code) << f.path << (f.load ? " load" : " append");
        }
    }
}

// The data folder of the results log: every missing level created, with
// either separator; a file in the way gives the code Save shows.
TEST_F(Win32Test, UserFoldersAreCreatedAndTheirWriteAccessReported)
{
    const std::string dir = dir_.string();
    Write(Path("afile"), "x");
    const struct {
        const char* name;
        std::string folder;
        int code;
    } creations[] = {{"every missing level", dir + "\\new\\share\\vesktest", 0},
                     {"folder exists", dir + "\\new\\share\\vesktest", 0},
                     {"forward slashes", dir + "/fw/share/vesktest/", 0},
                     {"a file in the way", dir + "\\afile\\share", ENOTDIR},
                     {"the folder is a file", dir + "\\afile", ENOTDIR}};
    for (const auto& row : creations) {
        SCOPED_TRACE(row.name);
        try {
            CreateFolders(row.folder);
            EXPECT_EQ(row.code, 0);
            EXPECT_TRUE(fs::is_directory(row.folder));
            EXPECT_EQ(FolderWriteError(row.folder), 0);
            results_log::Append(row.folder + "\\" + kResultsLogName, "line");
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.ErrorCode(), row.code);
            EXPECT_EQ(e.Message(), "I/O error " + std::to_string(row.code));
        }
    }
    EXPECT_EQ(results_log::Load(dir + "\\new\\share\\vesktest\\Result3.txt")->size(), 7u);

    // A read-only file is left out: Wine run as root writes it all the same.
    const struct {
        const char* name;
        int folderCode;  // FolderWriteError
        int fileCode;    // FileWriteError
    } access[] = {{"", 0, EACCES}, {"afile", ENOTDIR, 0}, {"missing", ENOENT, ENOENT}};
    for (const auto& row : access) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(FolderWriteError(Path(row.name)), row.folderCode);
        EXPECT_EQ(FileWriteError(Path(row.name)), row.fileCode);
    }
    // The write probe leaves nothing behind.
    EXPECT_FALSE(fs::exists(Path("vesktest-write-probe.tmp")));
}

TEST(Win32FileSystems, VolumeNamesAndDriveKinds)
{
    EXPECT_EQ(ClassifyFileSystem("NTFS"), TStorageKind::Disk);
    EXPECT_EQ(ClassifyFileSystem("network:NTFS"), TStorageKind::Network);
    EXPECT_EQ(ClassifyFileSystem("ramdisk:FAT32"), TStorageKind::Memory);
    EXPECT_NE(FileSystemTypeOf("C:\\windows"), "");
    EXPECT_EQ(FileSystemTypeOf("C:\\no\\such\\file"), "");

    const FormatSettings settings = SystemFormatSettings();
    EXPECT_NE(settings.DecimalSeparator, settings.ThousandSeparator);
    EXPECT_NE(settings.DecimalSeparator, ' ');
}

// The processor times Windows keeps, and none of what it does not keep.
TEST(Win32Counters, WhatWindowsKeepsAndNothingElse)
{
    const auto times = SystemCpuTimes();
    ASSERT_TRUE(times);
    EXPECT_GE(times->Cpus, 1);
    EXPECT_GT(times->Resolution, 0);
    EXPECT_GT(times->Idle + times->User + times->System, 0);
    EXPECT_FALSE(times->Steal);
    EXPECT_FALSE(times->IoWait);
    EXPECT_FALSE(times->Irq);
    EXPECT_FALSE(times->SoftIrq);

    // Busy work shows in the thread's time, and the process's holds it all.
    const double process0 = ProcessCpuSeconds(), thread0 = ThreadCpuSeconds();
    const DWORD started = ::GetTickCount();
    std::uint64_t n = 0;
    while (ThreadCpuSeconds() - thread0 < 0.1 && ::GetTickCount() - started < 10000) {
        asm volatile("" : "+r"(n));
        ++n;
    }
    const double thread = ThreadCpuSeconds() - thread0;
    EXPECT_GT(thread, 0);
    // The two are kept apart and read at different moments, each in the
    // system's clock ticks: the process's may lag the thread's by a tick.
    const double tick = (std::max)(0.02, 2 * ThreadCpuResolution());
    EXPECT_GE(ProcessCpuSeconds() - process0 + tick, thread);
    EXPECT_LE(ProcessCpuSeconds() - process0, thread + 10);
    EXPECT_GT(ThreadCpuResolution(), 0);

    EXPECT_FALSE(ThrottleEvents());
    EXPECT_FALSE(HighestTemperatureC());
    EXPECT_FALSE(ProcessorClocks().Governor);
    for (const double mhz : ProcessorClocks().MHz) EXPECT_GT(mhz, 0);
}

// The check a batch run makes before it measures: the reasons as on Linux,
// and nothing created; a copy under Program Files counts as installed.
TEST_F(Win32Test, AppendProblemAndInstalledCopy)
{
    std::string header;
    for (const auto& h : ResultsLogHeader()) header += h + "\r\n";
    Write(Path("log.txt"), header + "line\r\n");
    Write(Path("other.txt"), "not a log\r\n");
    const std::string notALog =
        ": it is not a results log (it does not begin with the log's header)";
    const struct {
        std::string path;
        std::string problem;
    } rows[] = {
        {Path("new.txt"), ""},
        {Path("log.txt"), ""},
        {Path("other.txt"), Path("other.txt") + notALog},
        {dir_.string(), dir_.string() + ": it is a folder"},
        {Path("no\\such\\log.txt"), Path("no\\such\\log.txt") + ": No such file or directory"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(results_log::AppendProblem(row.path).value_or(""), row.problem) << row.path;
    EXPECT_FALSE(fs::exists(Path("new.txt")));

    const std::string programFiles = EnvironmentValue("ProgramFiles").value_or("C:\\Program Files");
    EXPECT_TRUE(InstalledInSystem(programFiles + "\\Vesk-Test\\"));
    EXPECT_FALSE(InstalledInSystem(dir_.string() + "\\"));
}

}  // namespace
}  // namespace vt
