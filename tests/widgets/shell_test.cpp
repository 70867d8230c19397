#include <QLineEdit>
#include <QPushButton>

#include "app/widgets/memo.h"
#include "app/widgets/shadow_label.h"
#include "window_fixture.h"

namespace vt::testing {

TEST_F(WindowTest, OpensWithTitleAndClientSize)
{
    auto& w = Open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vesk-Test"));
    EXPECT_EQ(w.size(), QSize(592, 344));
    EXPECT_TRUE(dialogs.Errors().empty());
}

TEST_F(WindowTest, ToTabAppendsZeroScoreLine)
{
    auto& w = Open();
    w.Edit7->setText(QString());
    w.Edit13->setText(QString());
    w.List->ClearLines();
    w.ToTab();
    ASSERT_EQ(w.List->LineCount(), 1);
    EXPECT_EQ(w.List->Lines()[0].size(), 82u);
}

}  // namespace vt::testing
