#include "results/results_log.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <fstream>
#include <sstream>

#include "platform/errors.h"
#include "results/result_line.h"

namespace vt {
namespace {

class ResultsLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/vt_results_log_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    static std::string ReadBytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void WriteBytes(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string HeaderBytes()
    {
        std::string bytes;
        for (const auto& h : ResultsLogHeader()) bytes += h + "\r\n";
        return bytes;
    }

    std::string dir_;
};

TEST(ResultsLogHeader, LinesAreFullWidthWithColumnsAboveTheResultLine)
{
    const auto& header = ResultsLogHeader();
    const std::string line = FormatResultLine(TScores{}, "", "", FormatSettings{'.', ','});
    ASSERT_EQ(line.size(), 82u);
    EXPECT_EQ(header[0], std::string(82, '-'));
    for (std::size_t k = 1; k < header.size(); ++k) {
        ASSERT_EQ(header[k].size(), 82u) << "line " << k + 1;
        for (std::size_t i = 0; i < 82; ++i)
            EXPECT_EQ(header[k][i] == '|', line[i] == '|') << "line " << k + 1 << " column " << i;
    }
    // Cyrillic titles are single Windows-1251 bytes: "Описание" starts with 0xCE.
    EXPECT_EQ(static_cast<unsigned char>(header[2][12]), 0xCE);
    EXPECT_EQ(header[2].substr(13, 7), "\xEF\xE8\xF1\xE0\xED\xE8\xE5");
}

TEST_F(ResultsLogTest, ExistingFileWithoutHeaderIsOnlyAppendedTo)
{
    const std::string path = Path("Result3.txt");
    WriteBytes(path, "kept\r\n");
    results_log::Append(path, "new");
    EXPECT_EQ(ReadBytes(path), "kept\r\nnew\r\n");
}

TEST_F(ResultsLogTest, AppendFailuresCarryTheSystemCode)
{
    WriteBytes(Path("afile"), "x");
    ASSERT_EQ(mkdir(Path("Result3.txt").c_str(), 0755), 0);
    const struct {
        const char* name;
        std::string path;
        int code;
    } rows[] = {
        {"folder is a file", Path("afile/Result3.txt"), ENOTDIR},
        {"log is a folder", Path("Result3.txt"), EISDIR},
        {"folder missing", Path("none/Result3.txt"), ENOENT},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            results_log::Append(row.path, "line");
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.ErrorCode(), row.code);
            EXPECT_EQ(e.Message(), "I/O error " + std::to_string(row.code));
        }
    }
    EXPECT_EQ(ReadBytes(Path("afile")), "x");
}

// A write cut short by the file-size limit: the lines written before stay,
// and the error names the system's code.
TEST_F(ResultsLogTest, WriteFailureKeepsTheLinesBefore)
{
    const std::string path = Path("Result3.txt");
    const rlim_t limit = 3 * 84 + 10;  // three header lines and part of the fourth
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit rl{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(100);
        try {
            results_log::Append(path, "line");
        } catch (const EInOutError& e) {
            _exit(e.ErrorCode());
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), EFBIG);
    const std::string bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), limit);
    EXPECT_EQ(bytes, HeaderBytes().substr(0, limit));
}

TEST_F(ResultsLogTest, LoadSplitsLinesAndKeepsBytes)
{
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    } rows[] = {
        {"empty file", "", {}},
        {"crlf", "a\r\nb\r\n", {"a", "b"}},
        {"lf", "a\nb\n", {"a", "b"}},
        {"no final break", "a\r\nb", {"a", "b"}},
        {"empty lines", "\r\na\r\n\r\n", {"", "a", ""}},
        {"lone cr stays", "a\rb\r\n", {"a\rb"}},
        {"cp1251 bytes", "\xCE\xEF\xE8\xF1\r\n\xFF", {"\xCE\xEF\xE8\xF1", "\xFF"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = Path("t.txt");
        WriteBytes(path, row.bytes);
        const auto lines = results_log::Load(path);
        ASSERT_TRUE(lines.has_value());
        EXPECT_EQ(*lines, row.lines);
    }
}

TEST_F(ResultsLogTest, LoadOfMissingFileGivesNothingAndUnreadableRaises)
{
    EXPECT_FALSE(results_log::Load(Path("none.txt")).has_value());
    WriteBytes(Path("afile"), "x");
    EXPECT_FALSE(results_log::Load(Path("afile/Result3.txt")).has_value());

    ASSERT_EQ(mkdir(Path("Result3.txt").c_str(), 0755), 0);
    try {
        results_log::Load(Path("Result3.txt"));
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode(), EISDIR);
    }
}

}  // namespace
}  // namespace vt
