// The system's queue of uncached requests: a request reaches the drive when
// it is handed over, not at the next wait, and its completion comes back
// with its tag and size.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/direct_file.h"
#include "platform/process_id.h"
#include "platform/queued_io.h"

namespace vt {
namespace {

namespace fs = std::filesystem;

// The block at `offset` as a cached read sees it (an uncached write drops
// the cached copy once it is on the drive).
std::string BlockOnDrive(const std::string& path, std::int64_t offset, std::size_t bytes)
{
    std::ifstream in(path, std::ios::binary);
    in.seekg(offset);
    std::string block(bytes, '\0');
    in.read(block.data(), static_cast<std::streamsize>(bytes));
    return in ? block : std::string();
}

TEST(QueuedIo, ARequestStartsWhenHandedOverNotAtTheNextWait)
{
    const fs::path dir =
        fs::current_path() / ("queued_io_test." + std::to_string(CurrentProcessId()));
    fs::remove_all(dir);
    fs::create_directory(dir);
    struct TRemove {
        fs::path Dir;
        ~TRemove()
        {
            std::error_code error;
            fs::remove_all(Dir, error);
        }
    } remove{dir};

    TTestFile file;
    const std::string path = (dir / "queued.tmp").string();
    const int created = file.Create(path);
    if (created == EINVAL) GTEST_SKIP() << "this file system does not bypass the cache";
    ASSERT_EQ(created, 0);
    constexpr std::size_t kBlock = 4096;
    ASSERT_EQ(file.Resize(16 * kBlock), 0);
    TAlignedBuffer buffer;
    ASSERT_TRUE(buffer.Allocate(2 * kBlock, file.BufferAlignment()));
    auto* bytes = static_cast<unsigned char*>(buffer.Data());
    for (std::size_t i = 0; i < kBlock; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 1);
    const std::string written(reinterpret_cast<const char*>(bytes), kBlock);
    const std::int64_t offset = 5 * kBlock;

    const auto queue = file.OpenQueue(4);
    queue->Submit(TIoKind::Write, offset, bytes, kBlock, 42);
    // No wait yet: the block must reach the file all the same.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool arrived = false;
    while (!arrived && std::chrono::steady_clock::now() < deadline) {
        arrived = BlockOnDrive(path, offset, kBlock) == written;
        if (!arrived) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(arrived) << "the write waited for Wait to be started";

    std::vector<TIoCompletion> done;
    for (int i = 0; i < 200 && done.empty(); ++i) queue->Wait(done, 100);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].Tag, 42u);
    EXPECT_EQ(done[0].Result, static_cast<std::int64_t>(kBlock));

    // And back through the queue: the same bytes, a full block.
    unsigned char* into = bytes + kBlock;
    std::memset(into, 0, kBlock);
    queue->Submit(TIoKind::Read, offset, into, kBlock, 7);
    done.clear();
    for (int i = 0; i < 200 && done.empty(); ++i) queue->Wait(done, 100);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].Tag, 7u);
    EXPECT_EQ(done[0].Result, static_cast<std::int64_t>(kBlock));
    EXPECT_EQ(std::memcmp(into, bytes, kBlock), 0);
}

}  // namespace
}  // namespace vt
