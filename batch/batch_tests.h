// The tests as the batch run drives them: the same core functions the
// window's handlers call, over real list boxes of the Test1 page's size and a
// real panel of the drawing panel's size. Those live in small windows kept
// away from the user's eyes (placed beyond the screen's edge, or on the
// offscreen platform), which are still shown, so that every repaint paints.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/environment.h"
#include "benchmarks/list_test.h"
#include "benchmarks/strings.h"
#include "platform/cpu_layout.h"
#include "platform/errors.h"
#include "results/run_record.h"
#include "results/scores.h"

namespace vt {

class TListBox;
class TPanel;

// Told before each measured part begins, never inside a tick interval: the
// test's name and what the part does. May raise an error to end the test.
using TBatchStep = std::function<void(const char* test, const std::string& part)>;

// The measured parts of each test, for the progress bar; test 6's depend on
// the processor's layout.
int BatchTestParts(int test, const TCpuLayout& layout);
const char* BatchTestName(int test);

// An error of the file test, whose message is written as it is (the window
// writes it on standard output, without the error box's full stop).
class EFileTestFailure : public Exception {
public:
    using Exception::Exception;
};

// A message for the user (a warning, wrong bytes found), on a line of its own.
using TBatchMessage = std::function<void(const std::string& text)>;

class TBatchTests {
public:
    // `totalPhysMem` as the memory test sees it (TotalPhysMem32).
    TBatchTests(const TEnvironment& env, std::int64_t totalPhysMem, TBatchMessage message);
    ~TBatchTests();
    TBatchTests(const TBatchTests&) = delete;
    TBatchTests& operator=(const TBatchTests&) = delete;

    void Lists(TScores& scores, const TBatchStep& step);
    void Cycles(TScores& scores, const TBatchStep& step);
    // Raises an error when the panel did not paint every ellipse.
    void Shapes(TScores& scores, std::int32_t count, const TBatchStep& step);
    // `name`: file-system bytes. The not-a-disk warning is a message.
    void File(TScores& scores, const std::string& name, const TBatchStep& step);
    // A block of `mib` MiB, clamped as the MemSpeed field's entry is.
    // Returns the block's whole MiB. A stop request is looked at between two
    // passes.
    std::int64_t Memory(TScores& scores, std::int32_t mib, const TBatchStep& step);
    // Test 6 on the CPUs of `layout`, over a block of `mib` MiB clamped as
    // test 5's. Its note (one CPU, fewer than the machine's) and wrong bytes
    // are messages. A stop request is looked at between chunks and passes.
    TEveryCoreDetails EveryCore(TScores& scores, const TCpuLayout& layout, std::int32_t mib,
                                const TBatchStep& step);

    // The memory field's start-up value (DefaultBlockMiB).
    std::int32_t DefaultMemoryMiB() const;

private:
    struct THost;
    THost& ListHost();
    THost& PanelHost();

    TEnvironment env_;
    std::int64_t totalPhysMem_;
    TBatchMessage message_;
    std::unique_ptr<THost> listHost_, panelHost_;
    TListBox* listBoxes_[3] = {};
    TPanel* panel_ = nullptr;
    TStringList sortKeyList_, sortItemList_;
    std::string sortPivot_;
    TPersonPool pool_;
};

}  // namespace vt
