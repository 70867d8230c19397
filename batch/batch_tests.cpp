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
#include "benchmarks/ellipses.h"
#include "benchmarks/empty_loop.h"
#include "benchmarks/every_core.h"
#include "benchmarks/file_read.h"
#include "benchmarks/list_sort_run.h"
#include "benchmarks/memory_test.h"
#include "platform/convert.h"
#include "platform/direct_file.h"
#include "platform/file_system_type.h"
#include "platform/number_format.h"
#include "platform/random.h"
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

int BatchTestParts(int test, const TCpuLayout& layout)
{
    switch (test) {
        case 1:
            return 2;
        case 5:
            return 3;
        case 6:
            return EveryCoreParts(layout);
        default:
            return 1;
    }
}

const char* BatchTestName(int test)
{
    switch (test) {
        case 1:
            return "1. Create and Sort Lists";
        case 2:
            return "2. 10^9 Cycles";
        case 3:
            return "3. Draw Shapes";
        case 4:
            return "4. HDD Speed (File Reading)";
        case 5:
            return "5. FillChar & ReadChar";
        default:
            return "6. Every Core";
    }
}

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

void TBatchTests::Lists(TScores& scores, const TBatchStep& step)
{
    ListHost();
    const TSortLists lists{listBoxes_[0]->Items(), listBoxes_[1]->Items(), listBoxes_[2]->Items(),
                           sortKeyList_,           sortItemList_,          sortPivot_};
    TListTestShow show;
    show.Between = [&] { step(BatchTestName(1), "sorting"); };
    step(BatchTestName(1), "building the lists");
    RunListTest(lists, pool_, env_.Ticks, scores, show);
}

void TBatchTests::Cycles(TScores& scores, const TBatchStep& step)
{
    step(BatchTestName(2), "the empty loop");
    scores.CyclesPerSec = TimeEmptyLoop(env_.EmptyLoop, env_.Ticks).CyclesPerSec;
}

void TBatchTests::Shapes(TScores& scores, std::int32_t count, const TBatchStep& step)
{
    PanelHost();
    if (env_.SeedRandom)
        env_.SeedRandom();
    else
        Randomize();
    step(BatchTestName(3), "drawing the ellipses");
    TPanelCanvas canvas(panel_, nullptr);
    const std::int64_t paintedBefore = TEllipseShape::Tally().Painted;
    const TEllipseRun run = DrawEllipses(IntToStr(count), canvas, env_.Ticks);
    const std::int64_t painted = TEllipseShape::Tally().Painted - paintedBefore;
    // An ellipse the display did not paint was not measured.
    if (painted < canvas.PaintableShown())
        throw Exception("Only " + std::to_string(painted) + " of " +
                        std::to_string(canvas.PaintableShown()) + " ellipses were painted");
    scores.DrawTime = DrawTimeSeconds(run.Elapsed);
}

void TBatchTests::File(TScores& scores, const std::string& name, const TBatchStep& step)
{
    if (!FileExists(name) || DirectoryEntrySize(name) <= kFileReadMinSize)
        throw EFileTestFailure("Size of file must be > 1mb");
    const std::string warning = NotADiskWarning(name, FileSystemTypeOf(name));
    if (!warning.empty()) message_(warning);
    step(BatchTestName(4), "reading the file");
    try {
        scores.HddSpeed = static_cast<double>(MeasureFileRead(name, env_.Ticks).HddSpeed);
    } catch (const std::bad_alloc&) {
        throw EFileTestFailure(EOutOfMemory().Message());
    } catch (const Exception& e) {
        throw EFileTestFailure(e.Message());
    }
}

std::int64_t TBatchTests::Memory(TScores& scores, std::int32_t mib, const TBatchStep& step)
{
    const TMemoryBlockSize size = ChooseBlockSize(mib, totalPhysMem_);
    RefuseBlockBeyond(size.Bytes, env_.AvailableMemory());
    TMemoryBlock block(size.Bytes);
    const std::int64_t blockMiB = size.Bytes / kMiB;
    const std::string blockText = IntToStr(blockMiB) + " MiB";
    TMemoryTestSteps steps;
    steps.Filled = [&](long double fillSpeed) {
        scores.FillMemSpeed = static_cast<double>(fillSpeed);
        step(BatchTestName(5), "counting passes over " + blockText);
    };
    steps.Counted = [&](long double readSpeed) {
        scores.ReadMemSpeed = static_cast<double>(readSpeed);
        step(BatchTestName(5), "checking " + blockText);
    };
    // A pass over a large block takes most of a second: a stop need not
    // wait for the other passes of its part.
    steps.Stop = &StopRequestFlag();
    step(BatchTestName(5), "filling " + blockText);
    // The window shows wrong bytes in red beside the speeds; here they go
    // with the other messages.
    const std::int64_t errors = RunMemoryPasses(block, kMemoryPasses, env_.Ticks, steps);
    if (errors > 0) message_(IntToStr(errors) + " errors");
    return blockMiB;
}

TEveryCoreDetails TBatchTests::EveryCore(TScores& scores, const TCpuLayout& layout,
                                         std::int32_t mib, const TBatchStep& step)
{
    const TMemoryBlockSize size = ChooseBlockSize(mib, totalPhysMem_);
    RefuseBlockBeyond(size.Bytes, env_.AvailableMemory());
    TEveryCoreInputs inputs;
    inputs.BlockBytes = size.Bytes;
    TEveryCoreSteps steps;
    steps.Part = [&](const std::string& part) { step(BatchTestName(6), part); };
    steps.Stop = &StopRequestFlag();
    const TEveryCoreResult result =
        RunEveryCore(layout, inputs, PinnedThreadGang(env_.Ticks), steps);
    if (!result.Note.empty()) message_(result.Note);
    if (result.WrongBytes > 0)
        message_(IntToStr(result.WrongBytes) + " errors in every core's block");
    scores.CyclesPerSecAll = result.CyclesPerSecAll;
    scores.CyclesPerSecCores = result.CyclesPerSecCores;
    scores.FillMemSpeedAll = result.FillMemSpeedAll;
    scores.ReadMemSpeedAll = result.ReadMemSpeedAll;
    return EveryCoreDetails(layout, result);
}

std::int32_t TBatchTests::DefaultMemoryMiB() const
{
    return DefaultBlockMiB(totalPhysMem_);
}

}  // namespace vt
