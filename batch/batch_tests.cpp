#include "batch/batch_tests.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include "app/widgets/ellipse_shape.h"
#include "app/widgets/list_box.h"
#include "app/widgets/page_control.h"
#include "app/widgets/panel.h"
#include "app/widgets/panel_canvas.h"
#include "platform/stop_request.h"

namespace vt {

namespace {

// Waits until the window is exposed, handling events meanwhile.
bool WaitExposed(QWidget* window, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (true) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const QWindow* handle = window->windowHandle();
        if (handle && handle->isExposed()) return true;
        if (timer.elapsed() > milliseconds) return false;
    }
}

}  // namespace

// A frameless tool window without a taskbar entry, focus or window-manager
// decoration. It is shown beyond the screen's bottom-right corner; where the
// display does not expose a window that lies wholly outside it (and an
// unexposed window paints nothing), it is moved back until one pixel lies on
// the screen.
//
// Inside it the widgets sit where the window has them: on a page of a page
// control of the window's size, so that a repaint paints the same parents
// beneath them as in the window.
struct TBatchTests::THost {
    QWidget Window;
    TPageControl* Pages;
    QWidget* Page;

    explicit THost(const QString& page)
        : Window(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                              Qt::WindowDoesNotAcceptFocus)
    {
        Window.setAttribute(Qt::WA_ShowWithoutActivating);
        Window.setFixedSize(592, 344);
        Pages = new TPageControl(&Window);
        Pages->setGeometry(0, 0, 592, 344);
        Page = Pages->AddPage(page, page);
    }

    void Show()
    {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->geometry() : QRect(0, 0, 1, 1);
        Window.move(area.right() + 1, area.bottom() + 1);
        Window.show();
        if (WaitExposed(&Window, 500)) return;
        Window.move(area.right(), area.bottom());
        if (!WaitExposed(&Window, 2000))
            throw Exception("The display shows no window to paint the tests in");
    }
};

TBatchTests::TBatchTests(const TEnvironment& env, std::int64_t totalPhysMem, TBatchMessage message)
    : env_(env), totalPhysMem_(totalPhysMem), message_(std::move(message))
{
}

TBatchTests::~TBatchTests() = default;

TBatchTests::THost& TBatchTests::ListHost()
{
    if (!listHost_) {
        // The three boxes side by side as on the Test1 page: 124 x 284 each.
        listHost_ = std::make_unique<THost>(QStringLiteral("Test1"));
        for (int i = 0; i < 3; ++i) {
            listBoxes_[i] = new TListBox(listHost_->Page);
            listBoxes_[i]->setGeometry(196 + i * 129, 26, 124, 284);
            StyleTest1ListBox(listBoxes_[i]);
        }
        listHost_->Show();
    }
    return *listHost_;
}

TBatchTests::THost& TBatchTests::PanelHost()
{
    if (!panelHost_) {
        // The drawing panel under the Test2 page's tool strip.
        panelHost_ = std::make_unique<THost>(QStringLiteral("Test2"));
        panel_ = new TPanel(panelHost_->Page);
        panel_->setGeometry(0, 41, 584, 275);
        panelHost_->Show();
    }
    return *panelHost_;
}

TTestOutcome TBatchTests::Run(int test, const TTestInputs& inputs, const TBatchStep& step)
{
    TTestHooks hooks;
    hooks.Step = [&](int number, int, const std::string& part) { step(TestName(number), part); };
    // The not-a-disk warning of test 4 (its only message) once a series.
    hooks.Message = [this, test](const std::string& text) {
        if (test == 4) {
            if (notADiskWarned_) return;
            notADiskWarned_ = true;
        }
        message_(text);
    };
    hooks.Pass = PassUnderWay;
    hooks.Lists = [this] {
        ListHost();
        return TListScreen{{listBoxes_[0]->Items(), listBoxes_[1]->Items(), listBoxes_[2]->Items(),
                            sortKeyList_, sortItemList_, sortPivot_},
                           pool_};
    };
    hooks.Panel = [this](const std::function<void(TEllipseCanvas&)>& draw) {
        PanelHost();
        TPanelCanvas canvas(panel_, nullptr);
        const std::int64_t paintedBefore = TEllipseShape::Tally().Painted;
        draw(canvas);
        const std::int64_t painted = TEllipseShape::Tally().Painted - paintedBefore;
        // An ellipse the display did not paint was not measured.
        if (painted < canvas.PaintableShown())
            throw Exception("Only " + std::to_string(painted) + " of " +
                            std::to_string(canvas.PaintableShown()) + " ellipses were painted");
    };
    // A pass over a large block takes most of a second: a stop need not wait
    // for the other passes of its part.
    hooks.Stop = &StopRequestFlag();
    TTestOutcome run;
    try {
        run = runner_.Run(test, TestMachine(env_, totalPhysMem_), inputs, hooks);
    } catch (const EDiskProfileFailure& e) {
        // The disk profile's failures name its file, as the file test's do.
        throw EFileTestFailure(e.Message());
    }
    if (run.Refused) throw EFileTestFailure(*run.Refused);
    if (run.FileTooQuick)
        throw EFileTestFailure("vesktest batch: " + std::string(TestName(4)) + ": " + inputs.File +
                               " was read in 0 ms: the file is too small to time (give a larger "
                               "one, or one that is not held in memory)");
    if (run.Failure) throw EFileTestFailure(*run.Failure);
    // The window shows wrong bytes in red beside the speeds; here they go
    // with the other messages.
    if (run.WrongBytes > 0) message_(WrongBytesText(run.WrongBytes));
    return run;
}

std::int32_t TBatchTests::DefaultMemoryMiB() const
{
    return vt::DefaultMemoryMiB(totalPhysMem_);
}

}  // namespace vt
