// The ellipse drawing test against the bare toolkit work it stands for.
//
// Each pair times the real "3. Draw Shapes" handler with 10,000 in the count
// field (10,001 ellipses), as DrawTime in the tick counter's milliseconds,
// and, alternately with it, a minimal loop on the same panel that creates a
// plain child widget with the same random geometry, shows it, repaints the
// panel at once and deletes it. The ratio of the two is what the shape
// control, its painting and the handler add to the toolkit's own work. The
// processor time of both is printed as a detail; a busy machine disturbs it
// less, but on a display it leaves out the display server's share.
//
// The program draws on a display; that is the figure with a target. Without
// a display (QT_QPA_PLATFORM=offscreen) the same work paints into memory
// only, and --info prints that figure without a target.
//
// Usage: ellipse_bench [pairs] [--info] (14 pairs unless given).
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "app/application.h"
#include "app/dialogs.h"
#include "app/environment.h"
#include "app/firstcl_.h"
#include "app/widgets/page_control.h"
#include "app/widgets/panel.h"
#include "bench/bench_dialogs.h"
#include "bench/bench_report.h"
#include "platform/random.h"
#include "platform/tick_count.h"

namespace {

constexpr int kCount = 10000;

// The reference: the same toolkit work per ellipse without the shape control,
// the canvas or the handler around it. Seconds, from the same tick counter.
double ReferenceLoop(QWidget* panel)
{
    vt::Randomize();
    const std::uint32_t t0 = vt::GetTickCount();
    for (int i = 0; i <= kCount; ++i) {
        auto* child = new QWidget(panel);
        const int h = static_cast<int>(vt::Random(300));
        const int w = static_cast<int>(vt::Random(400));
        vt::Random(255), vt::Random(255), vt::Random(255);
        const int left = static_cast<int>(vt::Random(200));
        const int top = static_cast<int>(vt::Random(150));
        child->setGeometry(left, top, w, h);
        child->show();
        panel->repaint();
        delete child;
    }
    return vt::TickDiff(vt::GetTickCount(), t0) * 0.001;
}

double CpuSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace vt::bench;
    vt::TApplication app(argc, argv);
    int pairs = 14;
    bool info = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--info") == 0)
            info = true;
        else
            pairs = std::max(1, std::atoi(argv[i]));
    }
    vt::bench::PrintedDialogs dialogs;
    vt::SetDialogs(&dialogs);

    vt::TEnvironment env = vt::TEnvironment::System();
    env.MeasureCpuMHz = [] { return 0.0; };  // not needed here; saves 0.6 s
    vt::T_fVesktest window(env);
    for (int i = 0; i < window.PageControl1->PageCount(); ++i)
        if (window.PageControl1->Page(i) == window.TabSheet2)
            window.PageControl1->SetActivePageIndex(i);
    window.show();
    for (int i = 0; i < 200 && !(window.windowHandle() && window.windowHandle()->isExposed());
         ++i) {
        QCoreApplication::processEvents();
        vt::Sleep(10);
    }
    QCoreApplication::processEvents();
    window.Edit2->setText(QString::number(kCount));
    const std::string platform = qPrintable(QGuiApplication::platformName());
    Detail("platform %s, %d ellipses per run\n", platform.c_str(), kCount + 1);

    // Processor seconds of every run, the warm-up pair first.
    Pairs cpu;
    const Pairs wall = RunAlternating(
        "DrawTime", pairs,
        [&] {
            const double cpu0 = CpuSeconds();
            window.BitBtn1Click(window.BitBtn1);
            cpu.ours.push_back(CpuSeconds() - cpu0);
            QCoreApplication::processEvents();
            return window.Scores.DrawTime;
        },
        [&] {
            const double cpu0 = CpuSeconds();
            const double seconds = ReferenceLoop(window.Panel2);
            cpu.reference.push_back(CpuSeconds() - cpu0);
            QCoreApplication::processEvents();
            return seconds;
        });
    cpu.ours.erase(cpu.ours.begin());
    cpu.reference.erase(cpu.reference.begin());
    Detail("processor time: ours %.3f s, reference %.3f s, median paired ratio %.3f\n",
           Summarise(cpu.ours).median, Summarise(cpu.reference).median,
           Summarise(cpu.Ratios()).median);

    ReportRatio("ellipses DrawTime (" + platform + ")", "s", wall,
                info ? Target::None() : Target::AtMost(1.3));
    vt::SetDialogs(nullptr);
    return 0;
}
