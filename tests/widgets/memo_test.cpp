#include "app/widgets/memo.h"

#include <gtest/gtest.h>

#include <QTest>

#include "platform/cp1251.h"

namespace vt {
namespace {

using Lines = std::vector<std::string>;

TEST(Memo, AddsLinesAtTheEnd)
{
    TMemo memo;
    EXPECT_EQ(memo.LineCount(), 0);
    EXPECT_EQ(memo.Lines(), Lines{});
    memo.AddLine("first");
    memo.AddLine(Ansi("второй"));
    memo.AddLine("");
    EXPECT_EQ(memo.Lines(), (Lines{"first", Ansi("второй"), ""}));
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("first\nвторой\n"));
    memo.ClearLines();
    EXPECT_EQ(memo.LineCount(), 0);
}

TEST(Memo, AnEmptyFirstLineIsALine)
{
    TMemo memo;
    memo.AddLine("");
    EXPECT_EQ(memo.Lines(), Lines{""});
    memo.AddLine("x");
    EXPECT_EQ(memo.Lines(), (Lines{"", "x"}));

    memo.SetLines({""});
    EXPECT_EQ(memo.LineCount(), 1);
    memo.SetLines({});
    EXPECT_EQ(memo.LineCount(), 0);
}

TEST(Memo, EmptiedByTheUserHoldsNoLines)
{
    TMemo memo;
    memo.AddLine("");
    memo.AddLine("typed");
    memo.selectAll();
    QTest::keyClick(&memo, Qt::Key_Delete);
    EXPECT_EQ(memo.LineCount(), 0);
    memo.AddLine("next");
    EXPECT_EQ(memo.Lines(), Lines{"next"});
}

}  // namespace
}  // namespace vt
