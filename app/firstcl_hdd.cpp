// Test 4: uncached file read speed.
#include <QFile>

#include "app/dialogs.h"
#include "app/firstcl_.h"
#include "app/qt_text.h"
#include "app/widgets/filename_edit.h"
#include "app/widgets/memo.h"
#include "app/widgets/shadow_label.h"
#include "platform/direct_file.h"
#include "platform/number_format.h"

namespace vt {

namespace {
// File names go to the system as its own bytes, not as Windows-1251 text.
std::string SystemName(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}
}  // namespace

void T_fVesktest::RxSpeedButton1Click(QObject*)
{
    TTestInputs inputs;
    inputs.File = SystemName(FilenameEdit1->FileName());
    // A file the test cannot read is said before the page shows "Wait".
    const TTestOutcome run = Runner.Run(4, Machine(), inputs, Hooks(RxLabel4));
    EndConditions(4);
    if (run.Refused) {
        Dialogs().ShowMessage(this, Q(*run.Refused));
        ShowWait(RxLabel4);
        ShowReady(RxLabel4);
        return;
    }
    if (run.Failure) {
        // The test reports its own failures on standard output.
        WriteStdOutLine(*run.Failure);
    } else {
        LastFile = inputs.File;
        ToTab();
        const std::string mibPerSec = FloatToStr(run.File.Thousandths * 0.001L, Env().Format);
        HDDspeed->SetCaption(Q(mibPerSec + " Mb/s"));
        const std::string cdTimes = FloatToStr(run.File.CdTenths * 0.1L, Env().Format);
        CDspeed->SetCaption(Q(cdTimes + "X"));
        Memo2->AddLine("Average speed of reading =  " + mibPerSec + " mb/s");
        Memo2->AddLine("For CD's average x-speed = " + cdTimes + "X");
    }
    ShowReady(RxLabel4);
}

void T_fVesktest::FilenameEdit1AfterDialog(QObject*, QString& Name, bool&)
{
    const std::int64_t size = DirectoryEntrySize(SystemName(Name));
    FileSz->SetCaption(Q(IntToStr(size / 1048576) + " Mb"));
}

}  // namespace vt
