// The ellipse drawing test against the bare toolkit work it stands for.
//
// Each run times the real "3. Draw Shapes" handler with 10,000 in the count
// field (10,001 ellipses) and, alternating with it, a minimal loop on the same
// panel that creates a plain child widget with the same random geometry,
// shows it, repaints the panel at once and deletes it. The figure of interest
// is the ratio of the two: what the shape control, its painting and the
// handler add to the toolkit's own work. Besides the wall-clock figures the
// test reports (DrawTime, in the same millisecond ticks), the processor time
// of both is shown, which a busy machine disturbs much less.
//
// Usage: ellipse_bench [runs] (8 unless given). Run it offscreen
// (QT_QPA_PLATFORM=offscreen) and on a real X server, for example under
// `xvfb-run -a`.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "app/application.h"
#include "app/dialogs.h"
#include "app/environment.h"
#include "app/firstcl_.h"
#include "app/widgets/page_control.h"
#include "app/widgets/panel.h"
#include "platform/random.h"
#include "platform/tick_count.h"

namespace {

class PrintedDialogs : public vt::TDialogs {
public:
    void ShowMessage(QWidget*, const QString& text) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    void ShowError(QWidget*, const QString& text) override
    {
        std::fprintf(stderr, "error: %s\n", qPrintable(text));
    }
};

constexpr int kCount = 10000;

// The reference: the same toolkit work per ellipse without the shape control,
// the canvas or the handler around it.
std::int32_t ReferenceLoop(QWidget* panel)
{
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
    return vt::TickDiff(vt::GetTickCount(), t0);
}

double CpuSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

struct Figures {
    std::vector<double> wall, cpu;
    double Median(const std::vector<double>& v) const
    {
        std::vector<double> s = v;
        std::sort(s.begin(), s.end());
        return s[s.size() / 2];
    }
    double Best(const std::vector<double>& v) const
    {
        return *std::min_element(v.begin(), v.end());
    }
};

}  // namespace

int main(int argc, char** argv)
{
    vt::TApplication app(argc, argv);
    PrintedDialogs dialogs;
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

    std::printf("platform %s, %d ellipses per run\n", qPrintable(QGuiApplication::platformName()),
                kCount + 1);
    std::printf("%4s %10s %10s %6s   %10s %10s %6s\n", "run", "DrawTime", "reference", "ratio",
                "draw cpu", "ref cpu", "ratio");
    const int kRuns = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
    Figures draw, ref;
    for (int run = 0; run < kRuns; ++run) {
        // Alternate which goes first, so that warm-up and drift fall on both.
        for (int half = 0; half < 2; ++half) {
            const double cpu0 = CpuSeconds();
            if ((run + half) % 2 == 0) {
                window.BitBtn1Click(window.BitBtn1);
                draw.cpu.push_back(CpuSeconds() - cpu0);
                draw.wall.push_back(window.Scores.DrawTime);
            } else {
                vt::Randomize();
                const std::int32_t ms = ReferenceLoop(window.Panel2);
                ref.cpu.push_back(CpuSeconds() - cpu0);
                ref.wall.push_back(ms * 0.001);
            }
            QCoreApplication::processEvents();
        }
        std::printf("%4d %10.3f %10.3f %6.3f   %10.3f %10.3f %6.3f\n", run + 1, draw.wall.back(),
                    ref.wall.back(), draw.wall.back() / ref.wall.back(), draw.cpu.back(),
                    ref.cpu.back(), draw.cpu.back() / ref.cpu.back());
    }
    auto line = [&](const char* name, auto pick) {
        const double dw = pick(draw.wall), rw = pick(ref.wall);
        const double dc = pick(draw.cpu), rc = pick(ref.cpu);
        std::printf("%-6s %8.3f %10.3f %6.3f   %10.3f %10.3f %6.3f\n", name, dw, rw, dw / rw, dc,
                    rc, dc / rc);
    };
    line("median", [&](const std::vector<double>& v) { return draw.Median(v); });
    // On a loaded machine the fastest run of each is the least disturbed one.
    line("best", [&](const std::vector<double>& v) { return draw.Best(v); });
    std::printf("limit for the ratio: 1.3\n");
    vt::SetDialogs(nullptr);
    return 0;
}
