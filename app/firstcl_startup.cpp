// The start-up sequence: probe the machine and fill the pages.
#include "app/firstcl_.h"

#include <QLineEdit>
#include <QPushButton>

#include "app/log_place_tips.h"
#include "app/qt_text.h"
#include "app/widgets/memo.h"
#include "app/widgets/shadow_label.h"
#include "app/widgets/spin_edit.h"
#include "benchmarks/memory_test.h"
#include "platform/convert.h"
#include "platform/number_format.h"
#include "results/log_location.h"
#include "results/results_log.h"
#include "runner/test_runner.h"
#include "sysinfo/probes.h"

namespace vt {

namespace {

inline constexpr const char* kReadmeName = "Vesk_test_readme.txt";

}  // namespace

// Runs in FormCreate, inside the general error handler: an error in one step
// is shown, the steps after it are skipped and the controls they would have
// set keep their design-time values.
void T_fVesktest::RunStartupSequence()
{
    TEnvironment& env = Env();
    const FormatSettings& fs = env.Format;

    InstalledMemory = env.ReadTotalPhysMem();
    TotalPhysMem = TotalPhysMem32(InstalledMemory);
    const TCpuInfo cpu = env.GetCPUInfo();
    Startup.Cpu = cpu;
    Startup.TotalPhysMem = InstalledMemory;
    Startup.CpuMHz = env.MeasureCpuMHz();
    Edit14->setText(Q(IntToStr(RoundHalfEven(Startup.CpuMHz))));

    const std::int32_t year = StrToInt(A(env.Today().toString(QStringLiteral("yyyy"))));
    // The spin edits keep a year outside their bounds within them.
    RxSpinEdit1->setValue(year);
    RxSpinEdit2->setValue(year);
    RxSpinEdit3->setValue(year);
    RxSpinEdit4->setValue(year + 1);

    RxLabel8->SetCaption(Q(cpu.Vendor));
    RxLabel1->SetCaption(Edit14->text() + QStringLiteral("mhz"));
    Edit7->setText(Q(DefaultDescription(cpu.Vendor, Startup.CpuMHz)));

    const std::string logPath = ResultsLogPath(env.ExeDir, LogUse::Read);
    ShowResultsLogPlace(*List, *Button2, logPath);
    if (auto log = results_log::Load(logPath)) List->SetLines(*log);
    if (auto readme = results_log::Load(env.ExeDir + kReadmeName)) Memo1->SetLines(*readme);

    // The projection reads its value fields without thousands separators, so
    // the capacity goes there ungrouped; the disk label keeps the grouped text.
    Edit15->setText(Q(env.TotalDiskSizeText(fs, /*grouped=*/false)));
    Edit16->setText(Q(IntToStr(MemorySizeMiB(InstalledMemory))));
    Edit5->setText(Q(IntToStr(DefaultMemoryMiB(TotalPhysMem))));
    Edit13->setText(Q(DefaultLabel(env.TotalDiskSizeText(fs, /*grouped=*/true))));

    RxSpeedButton3Click(RxSpeedButton3);
}

}  // namespace vt
