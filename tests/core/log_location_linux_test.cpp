// The results log's place on Linux: the data folder made with mode 0700, and
// which folders refuse writing to an unprivileged user.
#include "results/log_location.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>

#include "platform/errors.h"
#include "platform/user_folders.h"
#include "results/results_log.h"

namespace vt {
namespace {

class LogFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/vt_log_location_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        chmod(dir_.c_str(), 0755);  // searchable by the unprivileged child below
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::string dir_;
};

// The data folder is created at the first write, every missing level of it;
// a file in its way gives the system's code, as Save shows it.
TEST_F(LogFolderTest, CreatesTheDataFolderOrReportsTheSystemCode)
{
    std::ofstream(dir_ + "/afile") << "x";
    mkdir((dir_ + "/x2").c_str(), 0755);
    std::ofstream(dir_ + "/x2/vesktest") << "x";
    const struct {
        const char* name;
        std::string xdg;
        int code;
        std::size_t lines;  // in the log after the row's Save
    } rows[] = {{"folders to create", dir_ + "/new/share", 0, 6},
                {"folder exists", dir_ + "/new/share", 0, 7},
                {"a file in the way", dir_ + "/afile/share", ENOTDIR, 0},
                {"the data folder is a file", dir_ + "/x2", ENOTDIR, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const LogPlace place = ChooseResultsLogPlace("/opt/vt/", {false, row.xdg, {}});
        try {
            CreateFolders(place.folder);
            EXPECT_EQ(row.code, 0);
            results_log::Append(place.path, "line");
            struct stat st {};
            ASSERT_EQ(stat(place.folder.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0700u);
            EXPECT_EQ(results_log::Load(place.path)->size(), row.lines);
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.ErrorCode(), row.code);
            EXPECT_EQ(e.Message(), "I/O error " + std::to_string(row.code));
        }
    }
}

// What this process finds: only a folder that refuses writing sends the log
// away. Run unprivileged (root may write anywhere), in a child when needed.
TEST_F(LogFolderTest, OnlyAFolderThatRefusesWritingSendsTheLogAway)
{
    mkdir((dir_ + "/ro").c_str(), 0755);
    mkdir((dir_ + "/ro_with_log").c_str(), 0755);
    std::ofstream(dir_ + "/ro_with_log/Result3.txt") << "";
    chmod((dir_ + "/ro_with_log/Result3.txt").c_str(), 0666);
    mkdir((dir_ + "/rw").c_str(), 0777);
    chmod((dir_ + "/rw").c_str(), 0777);
    const struct {
        const char* name;
        std::string exeDir;
        bool beside;
    } rows[] = {{"unwritable folder", dir_ + "/ro/", false},
                {"unwritable folder, writable log", dir_ + "/ro_with_log/", true},
                {"writable folder", dir_ + "/rw/", true},
                {"missing folder (Save reports it)", dir_ + "/none/", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (getuid() != 0) {
            EXPECT_EQ(SystemLogPlaceInputs(row.exeDir).besideExeWritable, row.beside);
            continue;
        }
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
            _exit(SystemLogPlaceInputs(row.exeDir).besideExeWritable ? 1 : 0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), row.beside ? 1 : 0);
    }
}

// A copy the system installed: anything under /usr or /opt, a link to it
// included; never a folder elsewhere, nor one whose name only starts alike.
TEST_F(LogFolderTest, InstalledInSystemUnderUsrOrOpt)
{
    ASSERT_EQ(symlink("/usr/bin", (dir_ + "/to-usr").c_str()), 0);
    const struct {
        const char* name;
        std::string exeDir;
        bool installed;
    } rows[] = {
        {"/usr/bin", "/usr/bin/", true},
        {"/usr/local/bin", "/usr/local/bin/", true},
        {"/usr/games", "/usr/games/", true},
        {"a package's folder in /opt", "/opt/vesktest/bin/", true},
        {"a link to /usr/bin", dir_ + "/to-usr/", true},
        {"a name that only starts like /usr", "/usrlocal/bin/", false},
        {"a name that only starts like /opt", "/optional/", false},
        {"a folder of the user's", dir_ + "/", false},
        {"the current folder", "", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(InstalledInSystem(row.exeDir), row.installed);
    }
}

}  // namespace
}  // namespace vt
