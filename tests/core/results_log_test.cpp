#include "results/results_log.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
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

// Saves one line in a child process whose files may not grow beyond `limit`
// bytes; returns the child's exit status: the errno of the failed Save, 0 when
// it succeeded.
int AppendUnderSizeLimit(const std::string& path, const std::string& line, rlim_t limit)
{
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit rl{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(100);
        try {
            results_log::Append(path, line);
        } catch (const EInOutError& e) {
            _exit(e.ErrorCode());
        }
        _exit(0);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

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

// A log name that is a symbolic link: a missing target is created (with
// the header) where its folder exists; where it does not, or where the links
// go round, Save fails at once with an error naming the file, never spins.
TEST_F(ResultsLogTest, LinkedLogIsFollowedAndNeverSpins)
{
    ASSERT_EQ(mkdir(Path("data").c_str(), 0755), 0);
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> links;  // link, its target
        std::string created;  // the file that must hold the header and the line
        int code;             // else the error
        std::string failedOn;
    } rows[] = {
        {"absolute target", {{"log", Path("data/abs.txt")}}, Path("data/abs.txt"), 0, ""},
        {"relative target", {{"log", "data/rel.txt"}}, Path("data/rel.txt"), 0, ""},
        {"chain of links",
         {{"log", "l2"}, {"l2", "data/chain.txt"}},
         Path("data/chain.txt"),
         0,
         ""},
        {"target folder missing", {{"log", "none/x.txt"}}, "", ENOENT, Path("none/x.txt")},
        {"links in a ring", {{"log", "l2"}, {"l2", "log"}}, "", ELOOP, Path("log")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (const auto& [link, target] : row.links) {
            unlink(Path(link).c_str());
            ASSERT_EQ(symlink(target.c_str(), Path(link).c_str()), 0);
        }
        alarm(20);  // a Save that spins ends the test instead of hanging it
        try {
            results_log::Append(Path("log"), "line");
            EXPECT_EQ(row.code, 0) << "no error";
            EXPECT_EQ(ReadBytes(row.created), HeaderBytes() + "line\r\n");
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.ErrorCode(), row.code);
            EXPECT_EQ(e.Path(), row.failedOn);
        }
        alarm(0);
    }
}

// A write cut short by the file-size limit: the error names the system's
// code, and what the write got in is taken back: a new log is left empty
// (the next Save gives it its header), never with part of its header.
TEST_F(ResultsLogTest, WriteFailureLeavesNoPartOfTheHeader)
{
    const std::string path = Path("Result3.txt");
    const rlim_t limit = 3 * 84 + 10;  // three header lines and part of the fourth
    EXPECT_EQ(AppendUnderSizeLimit(path, "line", limit), EFBIG);
    EXPECT_EQ(ReadBytes(path), "");
    results_log::Append(path, "line");
    EXPECT_EQ(ReadBytes(path), HeaderBytes() + "line\r\n");
}

// A line of the given number as Save writes it: 82 characters.
std::string NumberedLine(int n)
{
    std::string line = "machine " + std::to_string(n) + " ";
    line.resize(82, '.');
    return line;
}

// Faults that strike after earlier Saves: each raises the system's code and
// leaves every line before it as it was.
TEST_F(ResultsLogTest, FaultAfterEarlierSavesKeepsEveryEarlierLine)
{
    const std::string log = Path("Result3.txt");
    struct Row {
        const char* name;
        std::function<void()> fault;
        int code;
        std::string kept;  // where the earlier lines must be found afterwards
    };
    const Row rows[] = {
        {"log replaced by a folder",
         [&] {
             ASSERT_EQ(std::rename(log.c_str(), Path("old.txt").c_str()), 0);
             ASSERT_EQ(mkdir(log.c_str(), 0755), 0);
         },
         EISDIR, Path("old.txt")},
        {"log made read-only", [&] { ASSERT_EQ(chmod(log.c_str(), 0444), 0); }, EACCES, log},
        {"disk full",
         [&] {
             ASSERT_EQ(std::rename(log.c_str(), Path("old.txt").c_str()), 0);
             ASSERT_EQ(symlink("/dev/full", log.c_str()), 0);
         },
         ENOSPC, Path("old.txt")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (const auto& entry : std::filesystem::directory_iterator(dir_))
            std::filesystem::remove_all(entry.path());
        results_log::Append(log, NumberedLine(1));
        results_log::Append(log, NumberedLine(2));
        const std::string before = ReadBytes(log);
        ASSERT_EQ(before, HeaderBytes() + NumberedLine(1) + "\r\n" + NumberedLine(2) + "\r\n");
        row.fault();
        if (row.code == EACCES && geteuid() == 0) {
            chmod(log.c_str(), 0644);
            continue;  // permissions do not bind the superuser
        }
        try {
            results_log::Append(log, NumberedLine(3));
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.ErrorCode(), row.code);
            EXPECT_EQ(e.Message(), "I/O error " + std::to_string(row.code));
        }
        EXPECT_EQ(ReadBytes(row.kept), before);
    }
}

// The file-size limit reached in the middle of a line after earlier Saves
// (a full disk does the same): EFBIG, and the log exactly as it was, with
// no part of the failed line, so that nothing reads as cut short later.
TEST_F(ResultsLogTest, SizeLimitInTheMiddleOfALineLeavesTheLogAsItWas)
{
    const std::string path = Path("Result3.txt");
    results_log::Append(path, NumberedLine(1));
    const std::string before = ReadBytes(path);
    for (const rlim_t over : {rlim_t{1}, rlim_t{10}, rlim_t{83}}) {
        SCOPED_TRACE(over);
        EXPECT_EQ(AppendUnderSizeLimit(path, NumberedLine(2), before.size() + over), EFBIG);
        EXPECT_EQ(ReadBytes(path), before);
    }
    results_log::Append(path, NumberedLine(3));
    EXPECT_EQ(ReadBytes(path), before + NumberedLine(3) + "\r\n");
}

TEST_F(ResultsLogTest, EmptyLogGetsTheHeader)
{
    const std::string path = Path("Result3.txt");
    WriteBytes(path, "");
    results_log::Append(path, "line");
    EXPECT_EQ(ReadBytes(path), HeaderBytes() + "line\r\n");
}

// A Save killed at any moment, many times over: nothing written before is
// changed, the header is whole, every line is whole but the one a kill cut
// short, and a cut line is ended by the next Save so that its line stays whole.
TEST_F(ResultsLogTest, SaveKilledAtAnyMomentLeavesWholeLines)
{
    const std::string path = Path("Result3.txt");
    const std::string header = HeaderBytes();
    std::mt19937 random(20030601);
    int cut = 0, lines = 0;
    std::string previous;
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // Now and then from no log at all, so that kills also land in the
        // creation of the log.
        const bool fresh = round % 10 == 0;
        if (fresh) {
            unlink(path.c_str());
            previous.clear();
        }
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int n = 0;; ++n) results_log::Append(path, NumberedLine(n % 1000));
        }
        usleep(std::uniform_int_distribution<useconds_t>(0, fresh ? 300 : 3000)(random));
        ASSERT_EQ(kill(pid, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);

        const std::string bytes = ReadBytes(path);
        ASSERT_EQ(bytes.substr(0, previous.size()), previous);
        previous = bytes;
        if (bytes.empty()) continue;  // killed between creating and writing
        ASSERT_GE(bytes.size(), header.size());
        ASSERT_EQ(bytes.substr(0, header.size()), header);
        for (std::size_t at = header.size(); at < bytes.size();) {
            const std::size_t end = bytes.find("\r\n", at);
            const std::string line = bytes.substr(at, end == std::string::npos ? end : end - at);
            // A whole line, or the beginning of one that a kill cut.
            ASSERT_LE(line.size(), end == std::string::npos ? 83u : 82u) << "at " << at;
            ASSERT_EQ(line.substr(0, 8), std::string("machine ").substr(0, line.size()))
                << "at " << at;
            if (end == std::string::npos) break;
            if (line.size() == 82) ++lines;
            at = end + 2;
        }
        cut += bytes.size() >= 2 && bytes.substr(bytes.size() - 2) != "\r\n";
    }
    RecordProperty("cut_lines", cut);
    EXPECT_GT(lines, 0);
}

TEST_F(ResultsLogTest, LineCutShortIsEndedBeforeTheNextLine)
{
    const std::string path = Path("Result3.txt");
    WriteBytes(path, HeaderBytes() + "machine 1 ..");
    results_log::Append(path, "next");
    EXPECT_EQ(ReadBytes(path), HeaderBytes() + "machine 1 ..\r\nnext\r\n");
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
        {"nul bytes", std::string("a\0b\r\n\0", 6), {std::string("a\0b", 3), std::string(1, '\0')}},
        {"lone cr at the end", "a\r", {"a\r"}},
        {"cr cr lf", "a\r\r\n", {"a\r"}},
        {"line beyond the read buffer",
         std::string(200000, 'x') + "\r\ny",
         {std::string(200000, 'x'), "y"}},
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

// What the batch run checks before it measures anything: each log that
// cannot take a line is named with its reason, and looking creates nothing.
TEST_F(ResultsLogTest, AppendProblemNamesTheFileAndTheReason)
{
    std::string lfHeader;
    for (const auto& h : ResultsLogHeader()) lfHeader += h + "\n";
    WriteBytes(Path("log.txt"), HeaderBytes() + NumberedLine(1) + "\r\n");
    WriteBytes(Path("lf.txt"), lfHeader);
    WriteBytes(Path("empty.txt"), "");
    WriteBytes(Path("fstab"), "proc /proc proc defaults 0 0\n");
    WriteBytes(Path("short.txt"), HeaderBytes().substr(0, 3 * 84));
    ASSERT_EQ(mkdir(Path("folder").c_str(), 0755), 0);
    ASSERT_EQ(symlink("gone/made.txt", Path("link").c_str()), 0);
    const std::string notALog = ": it is not a results log (it does not begin with the log's header)";
    const struct {
        const char* name;
        std::string path;
        std::string problem;  // empty: none
    } rows[] = {
        {"new log", Path("new.txt"), ""},
        {"a log", Path("log.txt"), ""},
        {"a log with LF line ends", Path("lf.txt"), ""},
        {"an empty file", Path("empty.txt"), ""},
        {"another kind of file", Path("fstab"), Path("fstab") + notALog},
        {"part of a header", Path("short.txt"), Path("short.txt") + notALog},
        {"a folder", Path("folder"), Path("folder") + ": it is a folder"},
        {"a device", "/dev/full", "/dev/full: it is not a regular file"},
        {"a missing folder", Path("none/log.txt"),
         Path("none/log.txt") + ": No such file or directory"},
        {"a name too long", Path(std::string(300, 'x')),
         Path(std::string(300, 'x')) + ": File name too long"},
        {"a link into a missing folder", Path("link"),
         Path("link") + " (its link leads to " + Path("gone/made.txt") +
             "): No such file or directory"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(results_log::AppendProblem(row.path).value_or(""), row.problem);
    }
    EXPECT_FALSE(std::filesystem::exists(Path("new.txt")));
    EXPECT_EQ(ReadBytes(Path("empty.txt")), "");
}

// A folder that refuses new files, for a user it binds (the superuser
// writes anywhere).
TEST_F(ResultsLogTest, AppendProblemInAReadOnlyFolder)
{
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    ASSERT_EQ(mkdir(Path("ro").c_str(), 0555), 0);
    EXPECT_EQ(results_log::AppendProblem(Path("ro/log.txt")).value_or(""),
              Path("ro/log.txt") + ": Permission denied");
}

}  // namespace
}  // namespace vt
