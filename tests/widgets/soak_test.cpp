// Every test of the window, and Save and the projection, run a hundred times
// in one process with small sizes: no records, shapes, memory blocks, read
// buffers or descriptors are left behind, and the resident memory stays
// within a tenth of what it was after a first run.
#include <fcntl.h>
#include <unistd.h>

#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/widgets/ellipse_shape.h"
#include "app/widgets/filename_edit.h"
#include "app/widgets/list_box.h"
#include "benchmarks/empty_loop.h"
#include "benchmarks/list_test.h"
#include "benchmarks/memory_test.h"
#include "benchmarks/person.h"
#include "platform/direct_file.h"
#include "platform/random.h"
#include "window_fixture.h"

namespace vt::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 100;

int OpenDescriptors()
{
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

std::int64_t ResidentBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::int64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// What a run may leave behind.
struct Tally {
    std::int64_t persons, shapes;
    int blocks, buffers, descriptors;
    friend bool operator==(const Tally&, const Tally&) = default;
};

Tally Count()
{
    const auto& shapes = TEllipseShape::Tally();
    return {TPerson::LiveCount(), shapes.Created - shapes.Destroyed, TMemoryBlock::Live(),
            TAlignedBuffer::LiveCount(), OpenDescriptors()};
}

std::ostream& operator<<(std::ostream& out, const Tally& t)
{
    return out << "persons " << t.persons << ", shapes " << t.shapes << ", blocks " << t.blocks
               << ", buffers " << t.buffers << ", descriptors " << t.descriptors;
}

class SoakTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        env.EmptyLoop = [](std::int32_t) { EmptyLoop(1000000); };
        env.StdOut = &out;
        env.SeedRandom = [] { RandSeed = 1; };
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        std::error_code ec;
        if (!diskDir.empty()) fs::remove_all(diskDir, ec);
    }

    // A file of `size` bytes on the disk beside the test executable, where
    // direct reads work whatever /tmp is.
    std::string DiskFile(std::int64_t size)
    {
        std::string tmpl = fs::read_symlink("/proc/self/exe").parent_path() / "soak.XXXXXX";
        if (!mkdtemp(tmpl.data())) return {};
        diskDir = tmpl;
        const std::string path = diskDir + "/read.bin";
        std::ofstream(path, std::ios::binary) << std::string(static_cast<std::size_t>(size), 'x');
        return path;
    }

    // One warm-up run, then kRuns runs; nothing may grow.
    void Soak(const char* name, const std::function<void()>& run)
    {
        SCOPED_TRACE(name);
        run();
        const Tally before = Count();
        const std::int64_t resident = ResidentBytes();
        for (int i = 0; i < kRuns; ++i) run();
        EXPECT_EQ(Count(), before);
        const std::int64_t after = ResidentBytes();
#ifndef __SANITIZE_ADDRESS__
        // The address sanitizer holds freed memory back for a while, so only
        // a plain build can tell growth from its quarantine.
        EXPECT_LE(after, resident + resident / 10) << "resident " << resident << " -> " << after;
#endif
        EXPECT_TRUE(dialogs.Errors().empty()) << dialogs.Errors()[0].toStdString();
        RecordProperty(std::string(name) + "_resident_kib_before", resident / 1024);
        RecordProperty(std::string(name) + "_resident_kib_after", after / 1024);
    }

    std::ostringstream out;
    std::string diskDir;
};

TEST_F(SoakTest, EveryTestAHundredTimes)
{
    auto& w = Open();
    const std::string file = DiskFile(2 * 1048576);
    ASSERT_FALSE(file.empty());
    {
        TDirectFile probe;
        if (probe.Open(file) == EINVAL) GTEST_SKIP() << "the file system here refuses direct reads";
    }

    // The list test at a tenth of its size, through the window's lists, pool
    // and sorting, as its button runs it.
    Soak("lists", [&] {
        TListBuild build;
        build.Repetitions = 2;
        build.Records = 3200;
        build.DrawRange = 3199;
        build.Reseed = [] { RandSeed = 7; };
        w.Scores.ListCreateTime =
            BuildLists(w.ListBox1->Items(), w.ListBox2->Items(), w.ListBox3->Items(), w.PersonPool,
                       w.Env().Ticks, build);
        w.Sorting(w.ListBox2);
        w.PersonPool.ReleaseUnreferenced({&w.ListBox1->Items(), w.SortItemList.get()});
    });
    Soak("empty loop", [&] { w.Button3Click(w.Button3); });
    w.Edit2->setText(QStringLiteral("50"));
    Soak("ellipses", [&] { w.BitBtn1Click(w.BitBtn1); });
    w.FilenameEdit1->SetText(QString::fromStdString(file));
    Soak("file read", [&] {
        w.RxSpeedButton1Click(w.RxSpeedButton1);
        ASSERT_EQ(out.str(), "");
    });
    w.Edit5->setText(QStringLiteral("1"));
    Soak("memory", [&] { w.RxSpeedButton4Click(w.RxSpeedButton4); });
    Soak("save", [&] { w.Button2Click(w.Button2); });
    Soak("projection", [&] { w.RxSpeedButton3Click(w.RxSpeedButton3); });

    // Every Save left its line in the log.
    std::ifstream log(ExeDir() + "Result3.txt", std::ios::binary);
    int lines = 0;
    for (std::string line; std::getline(log, line);) ++lines;
    EXPECT_EQ(lines, 5 + kRuns + 1);
}

}  // namespace
}  // namespace vt::testing
