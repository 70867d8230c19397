#include "results/records_log.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "platform/errors.h"
#include "results/results_log.h"
#include "results/run_record_json.h"

namespace vt {
namespace {

class RecordsLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/vt_records_log_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    static std::string ReadBytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string dir_;
};

// A record that says who wrote it: the writer in the host, its count in run.
TRunRecord Numbered(int writer, int n)
{
    TRunRecord r;
    r.Tests = {1, 2};
    r.Host = "writer" + std::to_string(writer);
    r.Run = n;
    r.Description = std::string(200 + n % 50, 'd');  // records of several lengths
    r.Scores.CyclesPerSec = 1000.0 + n / 3.0;
    r.Line = "line " + std::to_string(n);
    return r;
}

TEST(RecordsLogPath, BesideTheResultsLog)
{
    const struct {
        const char* results;
        const char* records;
    } rows[] = {
        {"/home/u/.local/share/vesktest/Result3.txt",
         "/home/u/.local/share/vesktest/Result3.jsonl"},
        {"/srv/my log.txt", "/srv/Result3.jsonl"},
        {"Result3.txt", "Result3.jsonl"},
        {"./logs/Result3.txt", "./logs/Result3.jsonl"},
    };
    for (const auto& row : rows) EXPECT_EQ(RecordsLogPathBeside(row.results), row.records);
}

// Several processes saving at once: every record whole, on a line of its
// own, none lost.
TEST_F(RecordsLogTest, ConcurrentWritersKeepWholeRecords)
{
    const std::string path = Path(kRecordsLogName);
    constexpr int kWriters = 6, kEach = 150;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            try {
                for (int n = 0; n < kEach; ++n) records_log::Append(path, Numbered(w, n));
            } catch (...) {
                _exit(1);
            }
            _exit(0);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::map<std::string, std::vector<int>> runs;
    for (const std::string& line : results_log::SplitLines(ReadBytes(path))) {
        // A writer that looked at the end while another's write was under
        // way ends that line once more: a blank line, which readers pass.
        if (line.empty()) continue;
        TRunRecord r;
        std::string error;
        ASSERT_TRUE(ParseRecordJson(line, r, error)) << error << ": " << line.substr(0, 80);
        runs[r.Host].push_back(r.Run);
    }
    ASSERT_EQ(runs.size(), static_cast<std::size_t>(kWriters));
    for (const auto& [host, numbers] : runs) {
        ASSERT_EQ(numbers.size(), static_cast<std::size_t>(kEach)) << host;
        for (int n = 0; n < kEach; ++n) EXPECT_EQ(numbers[static_cast<std::size_t>(n)], n) << host;
    }
}

// A writer killed at any moment, many times over: what was written before
// never changes, every line but one a kill cut short is a whole record, and
// the record after a cut line is whole.
TEST_F(RecordsLogTest, WriterKilledAtAnyMomentLeavesWholeRecords)
{
    const std::string path = Path(kRecordsLogName);
    std::mt19937 random(20261208);
    std::string previous;
    int records = 0;
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int n = 0;; ++n) records_log::Append(path, Numbered(round, n));
        }
        usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(random));
        ASSERT_EQ(kill(pid, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        const std::string bytes = ReadBytes(path);
        ASSERT_EQ(bytes.substr(0, previous.size()), previous);
        previous = bytes;
        const std::vector<std::string> lines = results_log::SplitLines(bytes);
        const bool lastCut = !bytes.empty() && bytes.back() != '\n';
        for (std::size_t i = 0; i < lines.size(); ++i) {
            TRunRecord r;
            std::string error;
            if (ParseRecordJson(lines[i], r, error)) {
                ++records;
                continue;
            }
            // Only a line a kill cut: the last one, or one ended by the next
            // writer before its record.
            ASSERT_TRUE(i + 1 == lines.size() ? lastCut : true) << lines[i];
            const std::string start = RecordToJson(Numbered(0, 0)).substr(0, 16);
            const std::string head = lines[i].substr(0, 16);
            ASSERT_EQ(start.substr(0, head.size()), head);
        }
    }
    records_log::Append(path, Numbered(999, 1));
    const std::vector<std::string> lines = results_log::SplitLines(ReadBytes(path));
    TRunRecord last;
    std::string error;
    ASSERT_TRUE(ParseRecordJson(lines.back(), last, error)) << error;
    EXPECT_EQ(last.Host, "writer999");
    EXPECT_GT(records, 0);
}

// A failure names the file and the system's reason.
TEST_F(RecordsLogTest, FailuresNameTheFile)
{
    const std::string folder = Path("folder");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string readOnly = Path("ro");
    ASSERT_EQ(mkdir(readOnly.c_str(), 0500), 0);
    const struct {
        const char* name;
        std::string path;
        std::vector<int> codes;
    } rows[] = {
        {"a folder", folder, {EISDIR}},
        {"no such folder", Path("missing/Result3.jsonl"), {ENOENT}},
        {"read-only folder", readOnly + "/Result3.jsonl", {EACCES}},
    };
    for (const auto& row : rows) {
        if (row.codes.front() == EACCES && geteuid() == 0) continue;  // root writes anywhere
        try {
            records_log::Append(row.path, Numbered(1, 1));
            ADD_FAILURE() << row.name << ": no error";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Path(), row.path) << row.name;
            EXPECT_EQ(e.ErrorCode(), row.codes.front()) << row.name;
        }
    }
}

}  // namespace
}  // namespace vt
