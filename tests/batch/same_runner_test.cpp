// The window's handlers and batch run a test through one runner: from the
// same ticks and the same inputs they store the same scores, and a memory
// field beyond the machine's memory is clamped alike.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "batch/batch_tests.h"
#include "results/score_table.h"
#include "tests/widgets/window_fixture.h"

namespace vt::testing {
namespace {

class SameRunner : public WindowTest {};

TEST_F(SameRunner, WindowAndBatchStoreTheSameScores)
{
    const struct {
        const char* name;
        int test;
        QString field;  // the test's field in the window, as typed
        std::deque<std::uint32_t> ticks;
    } rows[] = {
        {"cycles", 2, {}, {1000, 3500}},
        {"shapes", 3, QStringLiteral("2"), {100, 2100}},
        {"memory", 5, QStringLiteral("1"), {0, 1000, 1000, 1250}},
        {"memory clamped", 5, QStringLiteral("99999"), {0, 4000, 4000, 9000}},
    };
    auto& w = Open();
    w.MemoryPasses = 2;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        w.Scores = TScores{};
        ScriptTicks(row.ticks);
        TTestInputs inputs;
        inputs.MemoryPasses = 2;
        switch (row.test) {
            case 2:
                w.Button3->click();
                break;
            case 3:
                w.Edit2->setText(row.field);
                inputs.Shapes = row.field.toStdString();
                w.BitBtn1->click();
                break;
            case 5:
                w.Edit5->setText(row.field);
                inputs.MemoryMiB = row.field.toStdString();
                w.RxSpeedButton4->click();
                break;
        }
        ASSERT_TRUE(dialogs.boxes.empty()) << dialogs.boxes.front().text.toStdString();
        env.Ticks = [ticks = std::make_shared<ScriptedTicks>(ScriptedTicks{row.ticks})] {
            return (*ticks)();
        };
        TBatchTests fresh(env, w.TotalPhysMem, [](const std::string&) {});
        const TTestOutcome run =
            fresh.Run(row.test, inputs, [](const char*, const std::string&) {});
        for (const TScoreRow& s : kScoreTable) {
            if (s.Test != row.test) continue;
            EXPECT_GT(w.Scores.*s.Value, 0.0) << s.Name;
            EXPECT_EQ(fresh.Scores().*s.Value, w.Scores.*s.Value) << s.Name;
        }
        if (row.test == 5) {
            EXPECT_EQ(run.Block.Bytes / kMiB, w.LastBlockMiB.value_or(-1));
        }
    }
}

}  // namespace
}  // namespace vt::testing
