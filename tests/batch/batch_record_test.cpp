// The window's Save and batch write the same record for the same run: the
// same scores on the same machine give the same line in Result3.txt and the
// same record in Result3.jsonl, whoever saved them.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "batch/batch_output.h"
#include "batch/batch_record.h"
#include "results/records_log.h"
#include "results/results_log.h"
#include "results/run_record_json.h"
#include "tests/widgets/window_fixture.h"

namespace vt::testing {
namespace {

class SameRecord : public WindowTest {};

// The record's text less what differs between two saves of one run by
// nature: the moment it was saved and the load then.
std::string WithoutTheMoment(std::string json)
{
    for (const char* member : {"\"started\": ", "\"load_average\": "}) {
        const std::size_t at = json.find(member);
        if (at == std::string::npos) continue;
        const std::size_t end = json.find(", \"", at);
        json.erase(at, end - at);
    }
    return json;
}

TEST_F(SameRecord, WindowAndBatchSaveTheSameRecord)
{
    const struct {
        const char* name;
        std::vector<int> tests;
        TScores scores;
    } rows[] = {
        {"cycles",
         {2},
         [] {
             TScores s;
             s.CyclesPerSec = 1026.521819789675;
             return s;
         }()},
        {"lists, cycles and memory",
         {1, 2, 5},
         [] {
             TScores s;
             s.ListCreateTime = 0.0037;
             s.SortTime = 1.0 / 3;
             s.SortOutputTime = 0.0271;
             s.CyclesPerSec = 3918.8;
             s.FillMemSpeed = 35955.5;
             s.ReadMemSpeed = 3585.4;
             return s;
         }()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        T_fVesktest& w = Open();
        // A description and label that Windows-1251 cannot hold whole.
        w.Edit7->setText(QString::fromUtf8("Büro ✓ Ж"));
        w.Scores = row.scores;
        w.LastBlockMiB = 64;
        w.Button2->click();
        ASSERT_TRUE(dialogs.Errors().empty());
        const std::string windowLog = ExeDir() + "Result3.txt";

        TBatchOptions options;
        options.Tests = row.tests;
        options.Description = "Büro ✓ Ж";
        TRunRecord batch = BatchRecord(w.Env(), options, w.Startup);
        batch.Scores = row.scores;
        if (std::find(row.tests.begin(), row.tests.end(), 5) != row.tests.end())
            batch.MemoryBlockMiB = 64;
        batch.Line = BatchResultLine(batch, w.Env().Format);
        const std::string batchLog = ExeDir() + "batch/Result3.txt";
        std::filesystem::create_directory(ExeDir() + "batch");
        std::string failed;
        SaveBatchRun(batchLog, batch, failed);

        const auto windowLines = results_log::Load(windowLog);
        const auto batchLines = results_log::Load(batchLog);
        ASSERT_TRUE(windowLines && batchLines);
        EXPECT_EQ(windowLines->back(), batchLines->back());
        const auto windowRecords = results_log::Load(RecordsLogPathBeside(windowLog));
        const auto batchRecords = results_log::Load(RecordsLogPathBeside(batchLog));
        ASSERT_TRUE(windowRecords && batchRecords);
        ASSERT_EQ(windowRecords->size(), 1u);
        EXPECT_EQ(WithoutTheMoment(windowRecords->back()), WithoutTheMoment(batchRecords->back()));
        // The record holds the line as it was written, and its texts whole.
        TRunRecord read;
        std::string error;
        ASSERT_TRUE(ParseRecordJson(windowRecords->back(), read, error)) << error;
        EXPECT_EQ(read.Line, windowLines->back());
        EXPECT_EQ(read.Description, "Büro ✓ Ж");
        EXPECT_EQ(read.Tests, row.tests);
        std::filesystem::remove_all(ExeDir() + "batch");
        std::filesystem::remove(windowLog);
        std::filesystem::remove(RecordsLogPathBeside(windowLog));
    }
}

}  // namespace
}  // namespace vt::testing
