// The manual page says what `vesktest batch --help` says: the same options,
// the same default tests.
#include <QRegularExpression>
#include <QSet>
#include <fstream>
#include <sstream>

#include "tests/batch/batch_process.h"

namespace vt::testing {
namespace {

// The page's text from the batch command to the next command.
std::string ManualBatchSection()
{
    std::ifstream in(VESKTEST_SOURCE_DIR "/data/vesktest.1");
    std::ostringstream page;
    page << in.rdbuf();
    const std::string text = page.str();
    const std::size_t start = text.find(".B batch\n");
    const std::size_t end = text.find(".BR compare", start);
    if (start == std::string::npos || end == std::string::npos) return {};
    return text.substr(start, end - start);
}

// The long options named in `text`, written as in the help ("--x-y") or as
// the page writes them ("\-\-x\-y").
QSet<QString> LongOptions(const std::string& text)
{
    QSet<QString> options;
    const QRegularExpression option(QStringLiteral(R"(--([a-z][a-z-]*))"));
    const QString plain =
        QString::fromStdString(text).replace(QStringLiteral("\\-"), QStringLiteral("-"));
    for (const auto& match : option.globalMatch(plain)) options.insert(match.captured(1));
    return options;
}

// `text` with every run of blanks and line breaks as one blank: both texts
// break their lines where they please.
std::string Squeezed(const std::string& text)
{
    return QString::fromStdString(text).simplified().toStdString();
}

TEST(Manual, BatchSectionMatchesTheHelp)
{
    const Outcome help = RunBatch({"--help"});
    ASSERT_EQ(help.status, 0);
    ASSERT_FALSE(ManualBatchSection().empty());
    EXPECT_EQ(LongOptions(ManualBatchSection()), LongOptions(help.out));
    const std::string helpText = Squeezed(help.out);
    const std::string section = Squeezed(ManualBatchSection());
    // The default tests, in the words of each.
    EXPECT_NE(helpText.find("default 1,2,3,5,6, and 4 too with --file"), std::string::npos);
    EXPECT_NE(section.find("default 1, 2, 3, 5 and 6, and 4 too when"), std::string::npos);
    for (const char* range : {"1 to 1000", "from 0 (default 10000)",
                              "half the physical memory the test sees, which is at most 2 GiB, "
                              "so at most 1024"}) {
        EXPECT_NE(helpText.find(range), std::string::npos) << range;
        EXPECT_NE(section.find(range), std::string::npos) << range;
    }
}

}  // namespace
}  // namespace vt::testing
