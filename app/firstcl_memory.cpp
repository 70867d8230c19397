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

    // Linux grants a block beyond the memory it really has and kills the
    // process once the fill reaches the missing pages, so a block that does
    // not fit what is available is refused as the allocator would refuse it.
    if (B + 1 > Env().AvailableMemory()) throw EOutOfMemory();
    TMemoryBlock block(B);

    ShowWait(RxLabel10);

    const std::int32_t Tf = TimeFills(block.Data(), B, MemoryPasses, Env().Ticks);
    const std::int64_t M = B / kMiB;
    const long double fillSpeed = MemorySpeed(M, MemoryPasses, Tf);
    FillCh->SetCaption(Q(FormatNumber(fillSpeed, 0, 2, Env().Format) + " Mb/s"));
    Scores.FillMemSpeed = static_cast<double>(fillSpeed);

    const std::int64_t W = M * kMiB;
    const std::int32_t Tr = TimeCountingPasses(W, MemoryPasses, Env().Ticks);
    const long double readSpeed = MemorySpeed(M, MemoryPasses, Tr);
    ReadCh->SetCaption(Q(FormatNumber(readSpeed, 0, 2, Env().Format) + " Mb/s"));
    Scores.ReadMemSpeed = static_cast<double>(readSpeed);

    // Input that arrived during the passes is handled here, while the block
    // is still held.
    QCoreApplication::processEvents();

    if (BeforeMemoryCheck) BeforeMemoryCheck(block.Data(), B);
    errors = CountWrongBytes(block.Data(), W);
    block.Release();

    Err->setVisible(errors > 0);
    Err->SetCaption(Q(IntToStr(errors) + " errors"));
    ToTab();
    ShowReady(RxLabel10);
}

}  // namespace vt
