// Test 5: memory fill and read.
#include <QCoreApplication>
#include <QLineEdit>

#include "app/firstcl_.h"
#include "app/qt_text.h"
#include "app/widgets/shadow_label.h"
#include "benchmarks/memory_test.h"
#include "platform/number_format.h"
#include "results/score_table.h"

namespace vt {

void T_fVesktest::RxSpeedButton4Click(QObject*)
{
    TTestInputs inputs;
    inputs.MemoryMiB = A(Edit5->text());
    inputs.MemoryPasses = MemoryPasses;
    TTestHooks hooks = Hooks(RxLabel10);
    // The field shows the MiB taken before the memory is asked for.
    hooks.BlockChosen = [this](std::int32_t typed, const TMemoryBlockSize& size) {
        Edit5->setText(Q(IntToStr(typed)));
        if (size.Clamped) Edit5->setText(Q(IntToStr(size.Bytes / kMiB)));
        LastBlockMiB = size.Bytes / kMiB;
    };
    hooks.Figure = [this](std::size_t score, long double figure) {
        const bool fill = kScoreTable[score].Value == &TScores::FillMemSpeed;
        (fill ? FillCh : ReadCh)->SetCaption(Q(FormatNumber(figure, 0, 2, Env().Format) + " Mb/s"));
        // Input that arrived during the passes is handled after the counting
        // passes, while the block is still held.
        if (!fill) QCoreApplication::processEvents();
    };
    hooks.BeforeMemoryCheck = BeforeMemoryCheck;
    const TTestOutcome run = Runner.Run(5, Machine(), inputs, hooks);
    EndConditions(5);

    Err->setVisible(run.WrongBytes > 0);
    Err->SetCaption(Q(WrongBytesText(run.WrongBytes)));
    ToTab();
    ShowReady(RxLabel10);
}

}  // namespace vt
