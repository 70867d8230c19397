#include <QLineEdit>
#include <QPushButton>

#include "app/widgets/memo.h"
#include "app/widgets/shadow_label.h"
#include "benchmarks/memory_test.h"
#include "window_fixture.h"

#if defined(__SANITIZE_ADDRESS__)
// The refusal of a huge block must reach the program as a null pointer, as
// it does without the sanitizer, instead of ending the process.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}
#endif

namespace vt::testing {

// Runs the memory test the way a click does, inside the general error handler.
class MemoryPageTest : public WindowTest {
protected:
    T_fVesktest& OpenWith(std::int64_t totalPhysMem, int passes = 2)
    {
        auto& w = Open();
        w.TotalPhysMem = totalPhysMem;
        w.MemoryPasses = passes;
        return w;
    }
    void Run(const QString& entry)
    {
        window->Edit5->setText(entry);
        window->RxSpeedButton4->click();
    }
};

struct EntryRow {
    const char* name;
    const char* entry;
    std::int64_t totalPhysMem;
    const char* shown;
    std::int64_t bytes;
};

class MemoryEntryTest : public MemoryPageTest, public ::testing::WithParamInterface<EntryRow> {};

TEST_P(MemoryEntryTest, NormalisesEntryAndUsesThatBlock)
{
    const auto& row = GetParam();
    auto& w = OpenWith(row.totalPhysMem, 1);
    std::int64_t used = -1;
    w.BeforeMemoryCheck = [&](std::uint8_t*, std::int64_t size) { used = size; };
    Run(QString::fromLatin1(row.entry));
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(w.Edit5->text(), QString::fromLatin1(row.shown));
    EXPECT_EQ(used, row.bytes);
    EXPECT_EQ(TMemoryBlock::Live(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MemoryEntryTest,
    ::testing::Values(EntryRow{"letters", "abc", 8 * kMiB, "1", kMiB},
                      EntryRow{"empty", "", 8 * kMiB, "1", kMiB},
                      EntryRow{"blanks_sign_zeros", "  +0002", 8 * kMiB, "2", 2 * kMiB},
                      EntryRow{"hex", "$40", 1024 * kMiB, "64", 64 * kMiB},
                      EntryRow{"zero", "0", 8 * kMiB, "4", 4 * kMiB},
                      EntryRow{"negative", "-3", 8 * kMiB, "4", 4 * kMiB},
                      EntryRow{"above_four_fifths", "7", 8 * kMiB, "4", 4 * kMiB},
                      EntryRow{"beyond_32_bits", "99999999999", 8 * kMiB, "1", kMiB},
                      EntryRow{"odd_memory_truncated", "0", 7 * kMiB + 3, "3", 7 * kMiB / 2 + 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MemoryPageTest, ClampedBlockFillsAllBytesButChecksWholeMibOnly)
{
    auto& w = OpenWith(5 * kMiB + 1000);  // block 2.5 MiB + 500 bytes
    w.BeforeMemoryCheck = [&](std::uint8_t* block, std::int64_t size) {
        ASSERT_EQ(size, 5 * kMiB / 2 + 500);
        EXPECT_EQ(CountWrongBytes(block, size), 0) << "every used byte is filled";
        for (std::int64_t i = 2 * kMiB; i < size; ++i) block[i] = 0;  // beyond the whole MiB
    };
    Run(QStringLiteral("0"));
    EXPECT_EQ(w.Edit5->text(), QStringLiteral("2"));
    EXPECT_TRUE(w.Err->isHidden());
    EXPECT_EQ(w.Err->Caption(), QStringLiteral("0 errors"));
}

TEST_F(MemoryPageTest, WrongBytesShowInRedThenACleanRunHidesThem)
{
    auto& w = OpenWith(8 * kMiB);
    w.List->ClearLines();
    w.BeforeMemoryCheck = [](std::uint8_t* block, std::int64_t size) {
        block[0] = 0;
        block[size / 2] = 0x5A;
        block[size - 1] = 0xA4;
    };
    Run(QStringLiteral("1"));
    EXPECT_FALSE(w.Err->isHidden());
    EXPECT_EQ(w.Err->Caption(), QStringLiteral("3 errors"));
    EXPECT_EQ(w.Err->FontColor(), QColor(Qt::red));
    EXPECT_EQ(w.RxLabel10->Caption(), QStringLiteral("Ready"));
    EXPECT_EQ(w.List->LineCount(), 1);

    w.BeforeMemoryCheck = nullptr;
    Run(QStringLiteral("1"));
    EXPECT_TRUE(w.Err->isHidden());
    EXPECT_EQ(w.Err->Caption(), QStringLiteral("0 errors"));
    EXPECT_EQ(w.List->LineCount(), 2);
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(MemoryPageTest, FiguresFromScriptedTicksInBothLocales)
{
    // 8 MiB, 100 passes: Tf = 500 ms and Tr = 125 ms give the same figures as
    // 32 MiB in 2000 and 500 ms.
    for (const FormatSettings fs : {FormatSettings{'.', ','}, FormatSettings{',', '.'}}) {
        env.Format = fs;
        auto& w = OpenWith(1024 * kMiB, kMemoryPasses);
        w.List->ClearLines();
        ScriptTicks({10000, 10500, 20000, 20125});
        Run(QStringLiteral("8"));
        const bool dot = fs.DecimalSeparator == '.';
        EXPECT_EQ(w.FillCh->Caption(), dot ? "1,600.00 Mb/s" : "1.600,00 Mb/s");
        EXPECT_EQ(w.ReadCh->Caption(), dot ? "6,400.00 Mb/s" : "6.400,00 Mb/s");
        EXPECT_EQ(w.Scores.FillMemSpeed, 1600.0);
        EXPECT_EQ(w.Scores.ReadMemSpeed, 6400.0);
        ASSERT_EQ(w.List->LineCount(), 1);
        EXPECT_NE(w.List->Lines()[0].find("|1600/6400|"), std::string::npos) << w.List->Lines()[0];
    }
}

TEST_F(MemoryPageTest, ZeroFillTimeChangesOnlyTheEntryAndStatus)
{
    auto& w = OpenWith(8 * kMiB);
    w.List->ClearLines();
    ScriptTicks({300, 300});
    Run(QStringLiteral(" 01"));
    EXPECT_EQ(dialogs.Errors(), std::vector<QString>{"Floating point division by zero."});
    EXPECT_EQ(w.Edit5->text(), QStringLiteral("1"));
    EXPECT_EQ(w.RxLabel10->Caption(), QStringLiteral("Wait"));
    EXPECT_EQ(w.FillCh->Caption(), QStringLiteral("0 Mb/s"));
    EXPECT_EQ(w.ReadCh->Caption(), QStringLiteral("0 Mb/s"));
    EXPECT_EQ(w.Scores.FillMemSpeed, 0.0);
    EXPECT_EQ(w.List->LineCount(), 0);
    EXPECT_EQ(TMemoryBlock::Live(), 0);
}

TEST_F(MemoryPageTest, ZeroCountingTimeKeepsOnlyTheFillFigures)
{
    auto& w = OpenWith(8 * kMiB);
    w.BeforeMemoryCheck = [](std::uint8_t* block, std::int64_t) { block[1] = 0; };
    ScriptTicks({0, 1, 200, 201});
    Run(QStringLiteral("1"));  // 2 passes of 1 MiB in 1 ms each: 2,000.00
    ASSERT_EQ(w.Err->Caption(), QStringLiteral("1 errors"));
    const int lines = w.List->LineCount();

    ScriptTicks({0, 2, 400, 400});
    Run(QStringLiteral("1"));
    EXPECT_EQ(dialogs.Errors(), std::vector<QString>{"Floating point division by zero."});
    EXPECT_EQ(w.FillCh->Caption(), QStringLiteral("1,000.00 Mb/s"));
    EXPECT_EQ(w.Scores.FillMemSpeed, 1000.0);
    EXPECT_EQ(w.ReadCh->Caption(), QStringLiteral("2,000.00 Mb/s"));
    EXPECT_EQ(w.Scores.ReadMemSpeed, 2000.0);
    EXPECT_FALSE(w.Err->isHidden());
    EXPECT_EQ(w.Err->Caption(), QStringLiteral("1 errors"));
    EXPECT_EQ(w.List->LineCount(), lines);
    EXPECT_EQ(w.RxLabel10->Caption(), QStringLiteral("Wait"));
    EXPECT_EQ(TMemoryBlock::Live(), 0);
}

TEST_F(MemoryPageTest, BlockMustFitTheAvailableMemory)
{
    std::int64_t available = 2 * kMiB;
    env.AvailableMemory = [&] { return available; };
    auto& w = OpenWith(8 * kMiB);
    Run(QStringLiteral("2"));  // needs 2 MiB + 1
    EXPECT_EQ(dialogs.Errors(), std::vector<QString>{"Out of memory."});
    EXPECT_EQ(w.RxLabel10->Caption(), QStringLiteral("Ready"));
    EXPECT_EQ(w.FillCh->Caption(), QStringLiteral("0 Mb/s"));
    EXPECT_EQ(TMemoryBlock::Live(), 0);

    available = 2 * kMiB + 1;
    Run(QStringLiteral("2"));
    EXPECT_EQ(dialogs.Errors().size(), 1u);
    EXPECT_NE(w.FillCh->Caption(), QStringLiteral("0 Mb/s"));
}

// On a machine with far more than 2 GiB the test starts with a block of
// 1024 MiB and clamps larger entries to half of 2 GiB - 1 byte; the
// projection page keeps the whole size. The small available memory stops
// each run before its block is obtained.
TEST_F(MemoryPageTest, LargeMachineSeesAtMostTwoGib)
{
    env.ReadTotalPhysMem = [] { return 24 * 1024 * kMiB; };
    env.AvailableMemory = [] { return 64 * kMiB; };
    auto& w = Open();
    EXPECT_EQ(w.Edit16->text(), QStringLiteral("24576"));
    EXPECT_EQ(w.Edit5->text(), QStringLiteral("1024"));

    const struct {
        const char* entry;
        const char* shown;
    } rows[] = {
        {"4096", "1023"}, {"1639", "1023"}, {"1638", "1638"}, {"0", "1023"}, {"1024", "1024"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.entry);
        dialogs.boxes.clear();
        Run(QString::fromLatin1(r.entry));
        EXPECT_EQ(w.Edit5->text(), QString::fromLatin1(r.shown));
        EXPECT_EQ(dialogs.Errors(), std::vector<QString>{"Out of memory."});
    }
    EXPECT_EQ(TMemoryBlock::Live(), 0);
}

TEST_F(MemoryPageTest, AllocatorRefusalIsReportedAndTheWindowGoesOn)
{
    // A pretend memory so large that the largest entry is not clamped: the
    // 2 PiB block exceeds the address space.
    auto& w = OpenWith(std::int64_t{1} << 56);
    Run(QStringLiteral("2147483647"));
    EXPECT_EQ(dialogs.Errors(), std::vector<QString>{"Out of memory."});
    EXPECT_EQ(w.Edit5->text(), QStringLiteral("2147483647"));
    EXPECT_EQ(w.RxLabel10->Caption(), QStringLiteral("Ready"));
    EXPECT_EQ(TMemoryBlock::Live(), 0);

    Run(QStringLiteral("1"));
    EXPECT_EQ(dialogs.Errors().size(), 1u);
    EXPECT_EQ(w.Edit5->text(), QStringLiteral("1"));
}

}  // namespace vt::testing
