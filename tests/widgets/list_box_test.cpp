#include "app/widgets/list_box.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QScrollBar>
#include <string>

#include "benchmarks/strings.h"
#include "platform/errors.h"

namespace vt {
namespace {

struct ShownBoxes {
    QWidget window;
    TListBox* boxes[3];
    ShownBoxes()
    {
        window.resize(420, 300);
        for (int i = 0; i < 3; ++i) {
            boxes[i] = new TListBox(&window);
            boxes[i]->setGeometry(4 + 130 * i, 4, 124, 284);
        }
        window.show();
        QCoreApplication::processEvents();
    }
};

// Suspended boxes are not painted; each repaints exactly once, at its
// outermost EndUpdate, already laid out for its new entries; nothing is left
// pending for later.
TEST(ListBox, NestedUpdatesRepaintOnceAtTheOutermostEnd)
{
    ShownBoxes s;
    int before[3];
    for (int i = 0; i < 3; ++i) before[i] = s.boxes[i]->PaintCount();
    auto painted = [&](int i) { return s.boxes[i]->PaintCount() - before[i]; };

    for (TListBox* b : s.boxes) b->Items().BeginUpdate();
    for (int r = 0; r < 2; ++r) {
        for (TListBox* b : s.boxes) {
            b->Items().BeginUpdate();
            b->Items().Clear();
            for (int i = 0; i < 5000; ++i) b->Items().Add("Text " + std::to_string(i));
            b->Items().EndUpdate();
        }
    }
    for (int i = 0; i < 3; ++i) EXPECT_EQ(painted(i), 0) << i;

    for (int i = 0; i < 3; ++i) {
        s.boxes[i]->Items().EndUpdate();
        EXPECT_EQ(painted(i), 1) << i;
        for (int j = 0; j < i; ++j) EXPECT_EQ(painted(j), 1) << "earlier box " << j;
        EXPECT_GT(s.boxes[i]->verticalScrollBar()->maximum(), 4900) << i;
    }
    QCoreApplication::processEvents();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(painted(i), 1) << i;

    // An unbalanced EndUpdate is ignored.
    s.boxes[0]->Items().EndUpdate();
    EXPECT_EQ(s.boxes[0]->Items().UpdateCount(), 0);
}

TEST(ListBox, EntriesHaveTheFixedHeightAndExchangeWithTheirObjects)
{
    ShownBoxes s;
    TListBox& box = *s.boxes[0];
    TObject a, b;
    box.Items().AddObject("first", &a);
    box.Items().AddObject("second", &b);
    EXPECT_EQ(box.visualRect(box.Items().index(1)).height(), TListBox::ItemHeight);
    box.Items().Exchange(0, 1);
    EXPECT_EQ(box.Items().Objects(0), &b);
    EXPECT_EQ(box.model()->data(box.Items().index(1)).toString(), QStringLiteral("first"));
    EXPECT_THROW(box.Items().Strings(2), EListError);
}

}  // namespace
}  // namespace vt
