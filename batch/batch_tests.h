// The tests as the batch run drives them: the window's test runner
// (runner/test_runner.h), lent real list boxes of the Test1 page's size and a
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
#include "platform/errors.h"
#include "results/scores.h"
#include "runner/test_runner.h"

namespace vt {

class TListBox;
class TPanel;

// Told before each measured part begins, never inside a tick interval: the
// test's name and what the part does. May raise an error to end the test.
using TBatchStep = std::function<void(const char* test, const std::string& part)>;

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

    // Runs test `test` (1 to 7) on `inputs`, its scores into Scores(). The
    // file test's own failures raise EFileTestFailure; the panel not painting
    // every ellipse, and the other errors, raise theirs. Wrong bytes of the
    // memory test and the not-a-disk warning are messages. A stop request is
    // looked at before each part and between the memory test's passes.
    TTestOutcome Run(int test, const TTestInputs& inputs, const TBatchStep& step);
    TScores& Scores() { return runner_.Scores; }

    // Told during the memory test's passes, between two of them
    // (TPassHook): where a long part has got to.
    std::function<void(int pass, int passes)> PassUnderWay;

    // The memory field's start-up value (DefaultBlockMiB).
    std::int32_t DefaultMemoryMiB() const;

private:
    struct THost;
    THost& ListHost();
    THost& PanelHost();

    TEnvironment env_;
    std::int64_t totalPhysMem_;
    TBatchMessage message_;
    TTestRunner runner_;
    std::unique_ptr<THost> listHost_, panelHost_;
    TListBox* listBoxes_[3] = {};
    TPanel* panel_ = nullptr;
    TStringList sortKeyList_, sortItemList_;
    std::string sortPivot_;
    TPersonPool pool_;
    bool notADiskWarned_ = false;  // once a series
};

}  // namespace vt
