// The identity fields against what Linux itself shows: /proc/cpuinfo, the
// kernel's own files and nproc; and the reading of os-release.
#include "platform/machine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/local_time.h"
#include "sysinfo/machine_identity.h"

namespace vt {
namespace {

std::string FileText(const char* path)
{
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string CommandOutput(const char* command)
{
    std::string out;
    if (FILE* p = popen(command, "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

// The value of the first "key<tabs>: value" line of /proc/cpuinfo.
std::string CpuinfoValue(const std::string& cpuinfo, const std::string& key)
{
    std::istringstream lines(cpuinfo);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(key, 0) != 0) continue;
        const std::size_t colon = line.find(':');
        if (line.find_first_not_of('\t', key.size()) != colon) continue;
        return colon + 2 <= line.size() ? line.substr(colon + 2) : "";
    }
    return "";
}

TEST(MachineIdentityOnLinux, AgreesWithProcCpuinfoAndNproc)
{
    const std::string cpuinfo = FileText("/proc/cpuinfo");
    const TMachineIdentity id = ReadMachineIdentity();
    int processors = 0;
    std::istringstream lines(cpuinfo);
    for (std::string line; std::getline(lines, line);)
        processors += line.rfind("processor", 0) == 0;
    EXPECT_EQ(id.LogicalCpus, processors);
    // nproc counts the processors this process may run on: never more.
    EXPECT_LE(std::stoi(CommandOutput("env -u OMP_NUM_THREADS -u OMP_THREAD_LIMIT nproc")),
              id.LogicalCpus);
    if (VESKTEST_X86_64) {
        EXPECT_EQ(id.CpuBrand, CpuinfoValue(cpuinfo, "model name"));
        const std::string flags = " " + CpuinfoValue(cpuinfo, "flags") + " ";
        EXPECT_EQ(id.Hypervisor, flags.find(" hypervisor ") != std::string::npos);
    }
    EXPECT_EQ(id.Host, CommandOutput("cat /proc/sys/kernel/hostname"));
    EXPECT_EQ(id.Kernel, "Linux " + CommandOutput("cat /proc/sys/kernel/osrelease"));
    EXPECT_EQ(id.Os, CommandOutput("sh -c '. /etc/os-release 2>/dev/null || . /usr/lib/os-release; "
                                   "echo \"$PRETTY_NAME\"'"));
}

TEST(MachineIdentityOnLinux, LocalTimeAgreesWithDate)
{
    // date's offset: +hhmm. Read before and after, in case the minute turns.
    const std::string before = CommandOutput("date +%z");
    const TLocalTime now = LocalTimeNow();
    const std::string iso = Iso8601(now);
    const std::string offset = iso.substr(19, 3) + iso.substr(23, 2);
    EXPECT_TRUE(offset == before || offset == CommandOutput("date +%z")) << iso;
}

TEST(OsReleaseName, NameFromItsFields)
{
    const struct {
        const char* name;
        const char* text;
        const char* os;
    } rows[] = {
        {"pretty name",
         "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
         "Debian GNU/Linux 12 (bookworm)"},
        {"single quotes", "PRETTY_NAME='Alpine Linux v3.19'\n", "Alpine Linux v3.19"},
        {"escapes in double quotes", "PRETTY_NAME=\"A \\\"B\\\" \\\\C\"\n", "A \"B\" \\C"},
        {"name and version", "NAME=Fedora\nVERSION=\"39 (Server)\"\n", "Fedora 39 (Server)"},
        {"comments, blanks and CR LF", "# x\r\n\r\n  PRETTY_NAME=\"Z 1\"\r\n", "Z 1"},
        {"empty pretty name", "PRETTY_NAME=\"\"\nNAME=Q\n", "Q"},
        {"nothing", "garbage\n=\n", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(OsReleaseName(row.text), row.os);
    }
}

}  // namespace
}  // namespace vt
