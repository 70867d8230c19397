#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <string>

#include "app/qt_text.h"
#include "app/widgets/list_box.h"
#include "app/widgets/memo.h"
#include "app/widgets/shadow_label.h"
#include "benchmarks/person.h"
#include "benchmarks/sorting.h"
#include "platform/cp1251.h"
#include "platform/number_format.h"
#include "window_fixture.h"

namespace vt::testing {
namespace {

using ListTest = WindowTest;

// Every entry of the three boxes in step and the names in byte order.
void ExpectSortedInStep(T_fVesktest& w)
{
    const TStrings& items = w.ListBox1->Items();
    const TStrings& names = w.ListBox2->Items();
    const TStrings& addresses = w.ListBox3->Items();
    ASSERT_EQ(items.Count(), kListRecords);
    ASSERT_EQ(names.Count(), kListRecords);
    ASSERT_EQ(addresses.Count(), kListRecords);
    for (int i = 0; i < items.Count(); ++i) {
        const std::string& text = items.Strings(i);
        ASSERT_EQ(text.compare(0, 5, "Text "), 0) << text;
        const auto k = std::stoul(text.substr(5));
        ASSERT_EQ(names.Strings(i), Ansi("Имя:   ") + std::to_string(2 * k)) << i;
        ASSERT_EQ(addresses.Strings(i), Ansi("адрес: ") + std::to_string(3 * k)) << i;
        ASSERT_EQ(TPerson::From(items.Objects(i)).GetName().Str(), names.Strings(i)) << i;
        if (i > 0) {
            ASSERT_LE(CompareKeys(names.Strings(i - 1), names.Strings(i)), 0) << i;
        }
    }
}

// Two whole runs of the test: the figures from a scripted clock, the boxes
// in step and sorted, and no more than one run's records kept.
TEST_F(ListTest, RunsTwiceWithScriptedFiguresAndOneListOfRecordsKept)
{
    auto& w = Open();
    w.show();
    w.List->ClearLines();
    const auto liveBefore = TPerson::LiveCount();

    w.Button1Click(w.Button1);
    ExpectSortedInStep(w);
    EXPECT_EQ(TPerson::LiveCount() - liveBefore, kListRecords);
    EXPECT_EQ(w.RxLabel3->Caption(), QStringLiteral("Ready"));

    // start, end; T0, T1, T2, T3
    ScriptTicks({10000, 13210, 20000, 20050, 21284, 21500});
    w.Button1Click(w.Button1);
    ExpectSortedInStep(w);
    EXPECT_EQ(TPerson::LiveCount() - liveBefore, kListRecords);
    EXPECT_EQ(w.SortKeyList->Count(), kListRecords);
    EXPECT_EQ(w.SortItemList->Count(), kListRecords);

    EXPECT_EQ(w.Scores.ListCreateTime, static_cast<double>(3210 * 0.0001L));
    EXPECT_EQ(w.Scores.SortTime, static_cast<double>(1234 * 0.0001L));
    EXPECT_EQ(w.Scores.SortOutputTime,
              static_cast<double>(1500 * 0.001L - static_cast<long double>(w.Scores.SortTime) * 9));
    EXPECT_EQ(w.Edit1->text(), Q(FloatToStr(w.Scores.SortOutputTime, w.Env().Format)));

    // One result line per run, the last carrying the three new figures.
    ASSERT_EQ(w.List->LineCount(), 2);
    const std::string line = w.List->Lines()[1];
    EXPECT_EQ(line, w.FormatResultLine());
    EXPECT_EQ(line.substr(31, 21), "|  0.32| 0.123|  0.39");
    EXPECT_TRUE(dialogs.boxes.empty());
}

// Only the selection of the entry box counts; clicks only select.
TEST_F(ListTest, ShowRecordTakesOnlyTheSelectionOfTheEntryBox)
{
    auto& w = Open();
    w.show();
    w.RxSpeedButton2->click();
    EXPECT_TRUE(dialogs.boxes.empty()) << "before any run";

    for (std::uint32_t n : {7u, 5u, 9u}) {
        w.ListBox1->Items().AddObject(EntryText(n), CreatePerson(w.PersonPool, n));
        w.ListBox2->Items().Add("name");
    }
    w.ListBox2->SetItemIndex(0);
    w.RxSpeedButton2->click();
    EXPECT_TRUE(dialogs.boxes.empty()) << "selection in the name box only";

    const QRect row = w.ListBox1->visualRect(w.ListBox1->Items().index(1));
    QTest::mouseClick(w.ListBox1->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(w.ListBox1->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(w.ListBox1->ItemIndex(), 1);
    EXPECT_EQ(w.ListBox1->Items().Count(), 3);
    EXPECT_TRUE(dialogs.boxes.empty()) << "clicks";

    w.RxSpeedButton2->click();
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].kind, CapturedDialogs::Box::Message);
    EXPECT_EQ(dialogs.boxes[0].text, QString::fromUtf8("Фамилия: Имя:   10\r Адрес: адрес: 15"));
}

}  // namespace
}  // namespace vt::testing
