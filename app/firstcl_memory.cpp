// Test 5: memory fill and read.
#include <QCoreApplication>
#include <QLineEdit>

#include "app/firstcl_.h"
#include "app/qt_text.h"
#include "app/widgets/shadow_label.h"
#include "benchmarks/memory_test.h"
#include "platform/convert.h"
#include "platform/errors.h"
#include "platform/number_format.h"

namespace vt {

void T_fVesktest::RxSpeedButton4Click(QObject*)
{
    std::int64_t errors = 0;

    const std::int32_t n = StrToIntDef(A(Edit5->text()), 1);
    Edit5->setText(Q(IntToStr(n)));
    const TMemoryBlockSize size = ChooseBlockSize(n, TotalPhysMem);
    if (size.Clamped) Edit5->setText(Q(IntToStr(size.Bytes / kMiB)));
    const std::int64_t B = size.Bytes;
    LastBlockMiB = B / kMiB;

    RefuseBlockBeyond(B, Env().AvailableMemory());
    TMemoryBlock block(B);

    ShowWait(RxLabel10);

    TMemoryTestSteps steps;
    steps.Filled = [this](long double fillSpeed) {
        FillCh->SetCaption(Q(FormatNumber(fillSpeed, 0, 2, Env().Format) + " Mb/s"));
        Scores.FillMemSpeed = static_cast<double>(fillSpeed);
    };
    steps.Counted = [this](long double readSpeed) {
        ReadCh->SetCaption(Q(FormatNumber(readSpeed, 0, 2, Env().Format) + " Mb/s"));
        Scores.ReadMemSpeed = static_cast<double>(readSpeed);
        // Input that arrived during the passes is handled here, while the
        // block is still held.
        QCoreApplication::processEvents();
    };
    steps.BeforeCheck = BeforeMemoryCheck;
    BeginConditions(5);
    errors = RunMemoryPasses(block, MemoryPasses, Env().Ticks, steps);
    EndConditions(5);

    Err->setVisible(errors > 0);
    Err->SetCaption(Q(IntToStr(errors) + " errors"));
    ToTab();
    ShowReady(RxLabel10);
}

}  // namespace vt
