// Test 1: person records, list building and sorting. The window gathers its
// lists and clock, runs the core test and shows the figures.
#include <QLineEdit>

#include "app/dialogs.h"
#include "app/firstcl_.h"
#include "app/qt_text.h"
#include "app/widgets/list_box.h"
#include "app/widgets/shadow_label.h"
#include "benchmarks/list_sort_run.h"
#include "benchmarks/list_test.h"
#include "benchmarks/person.h"
#include "benchmarks/sorting.h"
#include "platform/number_format.h"
#include "results/score_table.h"

namespace vt {

namespace {

// The record's plain message box: its name and address.
void Show(QWidget* parent, const TPerson& person)
{
    Dialogs().ShowMessage(parent, Q(person.ShowText()));
}

}  // namespace

void T_fVesktest::Button1Click(QObject*)
{
    TTestHooks hooks = Hooks(RxLabel3);
    hooks.Lists = [this] {
        return TListScreen{{ListBox1->Items(), ListBox2->Items(), ListBox3->Items(), *SortKeyList,
                            *SortItemList, SortPivot},
                           PersonPool};
    };
    // Each figure in the figure box as it comes; the sorting test ends with
    // the result line.
    hooks.Figure = [this](std::size_t score, long double figure) {
        Edit1->setText(Q(FloatToStr(figure, Env().Format)));
        if (kScoreTable[score].Value == &TScores::SortOutputTime) ToTab();
    };
    Runner.Run(1, Machine(), {}, hooks);
    EndConditions(1);
    ShowReady(RxLabel3);
}

void T_fVesktest::ListView()
{
    vt::ListView(ListBox1->Items(), ListBox2->Items(), ListBox3->Items());
}

void T_fVesktest::Sorting(TListBox* ListBox)
{
    const TSortLists lists{ListBox1->Items(), ListBox2->Items(), ListBox3->Items(),
                           *SortKeyList,      *SortItemList,     SortPivot};
    RunSorting(ListBox->Items(), lists, Env().Ticks, Scores,
               [this](double sortTime) { Edit1->setText(Q(FloatToStr(sortTime, Env().Format))); });
    Edit1->setText(Q(FloatToStr(Scores.SortOutputTime, Env().Format)));
    ToTab();
}

void T_fVesktest::QuickSort(std::int32_t L, std::int32_t R)
{
    vt::QuickSort(*SortKeyList, *SortItemList, SortPivot, L, R);
}

void T_fVesktest::RxSpeedButton2Click(QObject*)
{
    const int index = ListBox1->ItemIndex();
    if (index < 0) return;
    Show(this, TPerson::From(ListBox1->Items().Objects(index)));
}

void T_fVesktest::ListBoxChange(QObject*) {}
void T_fVesktest::ListBox1DblClick(QObject*) {}

}  // namespace vt
