#include "benchmarks/file_read.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/direct_file.h"
#include "platform/errors.h"

namespace vt {
namespace {

namespace fs = std::filesystem;

int OpenFdCount()
{
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

// A scratch directory beside the test executable: on the disk, so that
// direct reads are possible, whatever /tmp is mounted as.
class DiskDir {
public:
    DiskDir()
    {
        std::string tmpl = fs::read_symlink("/proc/self/exe").parent_path() / "file_read.XXXXXX";
        if (mkdtemp(tmpl.data())) path_ = tmpl;
    }
    ~DiskDir()
    {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }
    // A sparse file of `size` bytes.
    std::string File(const std::string& name, std::int64_t size) const
    {
        const std::string full = path_ + "/" + name;
        const int fd = ::open(full.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(ftruncate(fd, size), 0);
        ::close(fd);
        return full;
    }

private:
    std::string path_;
};

class FileReadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(dir.Path().empty());
        TDirectFile probe;
        const int error = probe.Open(dir.File("probe", 4096));
        if (error == EINVAL) GTEST_SKIP() << "the file system here refuses direct reads";
        ASSERT_EQ(error, 0);
    }
    DiskDir dir;
};

struct TickCounter {
    std::deque<std::uint32_t> values;
    int* reads;
    std::uint32_t operator()()
    {
        ++*reads;
        const std::uint32_t v = values.front();
        values.pop_front();
        return v;
    }
};

TEST(FileReadFigures, FromBytesAndElapsedTime)
{
    struct Row {
        const char* name;
        std::int64_t bytes;
        std::int32_t ms;
        long double hddSpeed;
        std::int64_t thousandths;
        std::int64_t cdTenths;
    };
    const Row rows[] = {
        {"hundred_MiB_in_four_seconds", 104857600, 4000, 25.0L, 25000, 1707},
        {"one_MiB_in_one_ms", 1048576, 1, 1000.0L, 1000000, 68267},
        {"half_rounds_down_to_even", 5 * 1048576, 128, 39.0625L, 39062, 2667},
        {"half_rounds_up_to_even", 7 * 1048576, 128, 54.6875L, 54688, 3733},
        // Sizes beyond 32 bits count whole.
        {"three_GiB", 3LL << 30, 3072, 1000.0L, 1000000, 68267},
        {"five_GiB", 5LL << 30, 10000, 512.0L, 512000, 34953},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_DOUBLE_EQ(static_cast<double>(HddSpeedFigure(r.bytes, r.ms)),
                         static_cast<double>(r.hddSpeed));
        EXPECT_EQ(SpeedThousandths(r.bytes, r.ms), r.thousandths);
        EXPECT_EQ(CdSpeedTenths(r.bytes, r.ms), r.cdTenths);
    }
}

TEST(FileReadFigures, ZeroElapsedTimeIsDivisionByZero)
{
    EXPECT_THROW(HddSpeedFigure(104857600, 0), EZeroDivide);
    EXPECT_THROW(SpeedThousandths(104857600, 0), EZeroDivide);
    EXPECT_THROW(CdSpeedTenths(104857600, 0), EZeroDivide);
    try {
        HddSpeedFigure(2 * 1048576, 0);
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Floating point division by zero");
    }
}

TEST_F(FileReadTest, ReadsInWholeRequestsUpToTheSize)
{
    struct Row {
        const char* name;
        std::int64_t size;
        std::int64_t requests;
    };
    const Row rows[] = {
        {"empty", 0, 0},
        {"one_request", 65536, 1},
        {"one_byte_over_a_request", 65537, 2},
        {"one_byte_over_a_MiB", 1048577, 17},
        {"exactly_two_MiB", 2097152, 32},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TDirectFile file;
        ASSERT_EQ(file.Open(dir.File(r.name, r.size)), 0);
        ASSERT_EQ(file.Size(), r.size);
        TAlignedBuffer buffer;
        ASSERT_TRUE(buffer.Allocate(kFileReadRequest, file.BufferAlignment()));
        int reads = 0;
        const TFileReadRun run =
            ReadWholeFile(file, r.size, buffer.Data(), TickCounter{{100, 350}, &reads}, r.name);
        EXPECT_EQ(reads, 2);
        EXPECT_EQ(run.ElapsedMs, 250);
        EXPECT_EQ(run.Requests, r.requests);
        EXPECT_EQ(run.Bytes, r.size);
        // Every request but the last delivered a whole block.
        if (r.requests > 0) {
            EXPECT_EQ(run.Bytes - (run.Requests - 1) * std::int64_t{kFileReadRequest},
                      r.size % 65536 == 0 ? 65536 : r.size % 65536);
        }
    }
}

TEST_F(FileReadTest, ElapsedTimeSurvivesTheCounterWrapping)
{
    TDirectFile file;
    ASSERT_EQ(file.Open(dir.File("wrap", 65536)), 0);
    TAlignedBuffer buffer;
    ASSERT_TRUE(buffer.Allocate(kFileReadRequest, file.BufferAlignment()));
    int reads = 0;
    const auto run =
        ReadWholeFile(file, 65536, buffer.Data(), TickCounter{{0xFFFFFFF0u, 0x10u}, &reads}, "w");
    EXPECT_EQ(run.ElapsedMs, 32);
}

TEST_F(FileReadTest, AReadWithoutProgressEndsTheMeasurement)
{
    struct Row {
        const char* name;
        bool open;
        std::int64_t fileSize;
        std::int64_t claimed;
        int errorCode;
    };
    const Row rows[] = {
        // The file is shorter than its size said (it shrank meanwhile).
        {"early_end_of_file", true, 65536, 200000, ENODATA},
        {"nothing_at_all", true, 0, 1, ENODATA},
        {"read_fails", false, 65536, 65536, EBADF},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string name = dir.File(r.name, r.fileSize);
        TDirectFile file;
        if (r.open) {
            ASSERT_EQ(file.Open(name), 0);
        }
        TAlignedBuffer buffer;
        ASSERT_TRUE(buffer.Allocate(kFileReadRequest, 4096));
        int reads = 0;
        try {
            ReadWholeFile(file, r.claimed, buffer.Data(), TickCounter{{1, 2}, &reads}, name);
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(),
                      "Failed to read " + name + "\nError:" + std::to_string(r.errorCode));
        }
        EXPECT_EQ(reads, 2);
    }
}

// The file changes after its size was taken, in the middle of the read: the
// descriptor keeps the file it opened, so a removed or replaced file is read
// to its end; a shortened one ends the measurement with the early-end error.
TEST_F(FileReadTest, FileChangedInTheMiddleOfTheRead)
{
    constexpr std::int64_t kSize = 4 * 1048576;
    constexpr int kChangeAtRead = 10;  // after 640 KiB
    struct Row {
        const char* name;
        std::function<void(const std::string& path)> change;
        int errorCode;          // 0: the read completes
        std::int64_t requests;  // read calls made
    };
    const std::string other = dir.File("other", 65536);
    const Row rows[] = {
        {"shrinks_to_a_MiB",
         [](const std::string& p) { ASSERT_EQ(truncate(p.c_str(), 1048576), 0); }, ENODATA, 17},
        {"shrinks_within_a_block",
         [](const std::string& p) { ASSERT_EQ(truncate(p.c_str(), 1048576 + 100), 0); }, ENODATA,
         18},
        {"shrinks_to_nothing", [](const std::string& p) { ASSERT_EQ(truncate(p.c_str(), 0), 0); },
         ENODATA, kChangeAtRead + 1},
        {"vanishes", [](const std::string& p) { ASSERT_EQ(unlink(p.c_str()), 0); }, 0, 64},
        {"replaced_by_a_smaller_file",
         [&](const std::string& p) {
             ASSERT_EQ(link(other.c_str(), (p + ".new").c_str()), 0);
             ASSERT_EQ(std::rename((p + ".new").c_str(), p.c_str()), 0);
         },
         0, 64},
        {"grows", [](const std::string& p) { ASSERT_EQ(truncate(p.c_str(), 2 * kSize), 0); }, 0,
         64},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string path = dir.File(r.name, kSize);
        TDirectFile file;
        ASSERT_EQ(file.Open(path), 0);
        const std::int64_t size = file.Size();
        int calls = 0;
        file.BeforeRead = [&] {
            if (++calls == kChangeAtRead + 1) r.change(path);
        };
        TAlignedBuffer buffer;
        ASSERT_TRUE(buffer.Allocate(kFileReadRequest, file.BufferAlignment()));
        int reads = 0;
        try {
            const TFileReadRun run =
                ReadWholeFile(file, size, buffer.Data(), TickCounter{{10, 20}, &reads}, path);
            EXPECT_EQ(r.errorCode, 0) << "no error";
            EXPECT_EQ(run.Bytes, kSize);
            EXPECT_EQ(run.Requests, r.requests);
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(),
                      "Failed to read " + path + "\nError:" + std::to_string(r.errorCode));
            EXPECT_EQ(calls, r.requests) << "the read that found the end is the last";
        }
        EXPECT_EQ(reads, 2);
    }
}

TEST_F(FileReadTest, DirectoryLookupAndFileExists)
{
    const std::string file = dir.File("plain", 1048577);
    const std::string big = dir.File("big", 5LL << 30);
    struct Row {
        const char* name;
        std::string path;
        std::int64_t size;
        bool exists;
    };
    const Row rows[] = {
        {"regular_file", file, 1048577, true}, {"size_beyond_32_bits", big, 5LL << 30, true},
        {"directory", dir.Path(), 0, false},   {"missing", dir.Path() + "/none", 0, false},
        {"empty_name", "", 0, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(DirectoryEntrySize(r.path), r.size);
        EXPECT_EQ(FileExists(r.path), r.exists);
    }
}

TEST_F(FileReadTest, OpenReportsErrnoAndLeavesNoDescriptor)
{
    const int before = OpenFdCount();
    {
        TDirectFile file;
        EXPECT_EQ(file.Open(dir.Path() + "/none"), ENOENT);
        EXPECT_FALSE(file.IsOpen());
    }
    {
        TDirectFile file;
        ASSERT_EQ(file.Open(dir.File("held", 65536)), 0);
        EXPECT_TRUE(file.IsOpen());
        EXPECT_EQ(OpenFdCount(), before + 1);
        // Reopening gives the first descriptor back.
        ASSERT_EQ(file.Open(dir.File("held2", 65536)), 0);
        EXPECT_EQ(OpenFdCount(), before + 1);
    }
    EXPECT_EQ(OpenFdCount(), before);
}

TEST_F(FileReadTest, BufferIsAlignedForDirectReadsAndReleased)
{
    TDirectFile file;
    ASSERT_EQ(file.Open(dir.File("aligned", 65536)), 0);
    const std::size_t alignment = file.BufferAlignment();
    EXPECT_GT(alignment, 0u);
    EXPECT_EQ(alignment & (alignment - 1), 0u) << alignment;
    EXPECT_EQ(kFileReadRequest % alignment, 0u);
    const int live = TAlignedBuffer::LiveCount();
    {
        TAlignedBuffer buffer;
        ASSERT_TRUE(buffer.Allocate(kFileReadRequest, alignment));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.Data()) % alignment, 0u);
        EXPECT_EQ(buffer.Size(), kFileReadRequest);
        EXPECT_EQ(TAlignedBuffer::LiveCount(), live + 1);
    }
    EXPECT_EQ(TAlignedBuffer::LiveCount(), live);
}

}  // namespace
}  // namespace vt
