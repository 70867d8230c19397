// The main window: seven pages, one handler per control event, and the state
// the tests share (the scores, the sorting test's two lists, the memory size).
//
// Every handler runs inside the general error handler: an error ends the
// handler, is shown in the error box, and the window goes on. A test shows
// "Wait" on its page's status label while it runs and "Ready" when done.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/environment.h"
#include "app/run_record_facts.h"
#include "benchmarks/list_test.h"
#include "benchmarks/strings.h"
#include "results/run_record.h"
#include "results/scores.h"
#include "runner/test_runner.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vt {

class TFilenameEdit;
class TListBox;
class TMemo;
class TPageControl;
class TPanel;
class TShadowLabel;
class TSpinEdit;

class T_fVesktest : public QWidget {
    Q_OBJECT
public:
    // Creates the window and runs FormCreate (the start-up sequence).
    explicit T_fVesktest(TEnvironment env, QWidget* parent = nullptr);
    ~T_fVesktest() override;

    // ---- handlers, one per control event ----
    void FormCreate(QObject* Sender);
    void FormDestroy(QObject* Sender);
    void Button1Click(QObject* Sender);         // 1. Create and Sort Lists
    void Button3Click(QObject* Sender);         // 2. 10^9 Cycles
    void BitBtn1Click(QObject* Sender);         // 3. Draw Shapes
    void RxSpeedButton1Click(QObject* Sender);  // 4. HDD Speed (File Reading)
    void RxSpeedButton4Click(QObject* Sender);  // 5. FillChar & ReadChar
    void RxSpeedButton2Click(QObject* Sender);  // show record
    void RxSpeedButton3Click(QObject* Sender);  // projection arrow
    void Button2Click(QObject* Sender);         // Save
    void Button4Click(QObject* Sender);         // Clear
    void FilenameEdit1AfterDialog(QObject* Sender, QString& Name, bool& Action);
    void ListBoxChange(QObject* Sender);
    void ListBox1DblClick(QObject* Sender);

    // ---- methods ----
    // Appends the current result line to the results memo.
    void ToTab();
    // The current result line.
    std::string FormatResultLine() const;
    // The run's record as Save writes it to the records log: the scores of
    // the tests that have figures, the machine, the tests' inputs.
    TRunRecord RunRecord() const;
    // The operations the tests are described by, as the window's own methods
    // over its controls. The handlers run the same core functions through
    // the runner; these stay for whoever drives the window's lists and
    // ellipses step by step.
    void ListView();
    void Sorting(TListBox* ListBox);
    void QuickSort(std::int32_t L, std::int32_t R);
    std::uint32_t RandomColor();

    // Status-label convention: "Wait" in red and one message pump; "Ready"
    // in green.
    void ShowWait(TShadowLabel* label);
    void ShowReady(TShadowLabel* label);

    // The conditions of a test's run, sampled from just before its measured
    // work to just after it; a run that fails keeps the test's last ones.
    void BeginConditions(int test);
    void EndConditions(int test);
    // The conditions of the last run of each of `tests` (every test when
    // empty) as one: the worst of each (sysinfo/run_conditions.h). None
    // when none of them ran, or the environment samples none. Save records
    // them.
    std::optional<TRunConditions> RunConditions(const std::vector<int>& tests = {}) const;

    // ---- state ----
    TEnvironment& Env() { return env_; }
    // Runs the tests and owns the scores; the handlers only present.
    TTestRunner Runner;
    TScores& Scores = Runner.Scores;
    // What the run's record takes from the start-up probes and the tests'
    // last inputs: the block of test 5 in MiB, the ellipses of test 3, the
    // file of test 4 (file-system bytes).
    TStartupFacts Startup;
    std::optional<std::int64_t> LastBlockMiB;
    std::optional<std::int32_t> LastShapes;
    std::string LastFile;
    std::unique_ptr<TStringList> SortKeyList;
    std::unique_ptr<TStringList> SortItemList;
    std::string SortPivot;
    // Owns the list test's records; releases those no list refers to after
    // each run, outside its timing.
    TPersonPool PersonPool;
    // The installed memory in bytes, for the projection page, and the same
    // size as the memory test and its default see it: at most 2 GiB - 1 byte
    // (TotalPhysMem32).
    std::int64_t InstalledMemory = 0;
    std::int64_t TotalPhysMem = 0;

    // Memory test: passes of each kind, and a call with the block and its
    // used size just before the check (tests corrupt the block there).
    int MemoryPasses = 100;
    std::function<void(std::uint8_t* block, std::int64_t size)> BeforeMemoryCheck;

    // The conditions of the last run of each test, by test number.
    std::map<int, TRunConditions> TestConditions;

    // ---- controls, by their designer names ----
    TPageControl* PageControl1 = nullptr;
    QWidget* TabSheet4 = nullptr;  // About
    QWidget* TabSheet1 = nullptr;  // Test1
    QWidget* TabSheet2 = nullptr;  // Test2
    QWidget* TabSheet5 = nullptr;  // HDD test
    QWidget* TabSheet7 = nullptr;  // MemSpeed
    QWidget* TabSheet3 = nullptr;  // Result
    QWidget* TabSheet6 = nullptr;  // HardForecast

    // About
    TMemo* Memo1 = nullptr;
    TShadowLabel* RxLabel6 = nullptr;
    TShadowLabel* RxLabel9 = nullptr;
    TShadowLabel* RxLabel7 = nullptr;
    QLabel* Label24 = nullptr;
    QLabel* Label28 = nullptr;
    QLabel* Label25 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QLineEdit* Edit9 = nullptr;
    QLineEdit* Edit10 = nullptr;

    // Test1
    QPushButton* Button1 = nullptr;
    QPushButton* Button3 = nullptr;
    TPanel* Panel4 = nullptr;
    TShadowLabel* RxLabel3 = nullptr;
    TPanel* Panel3 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label1 = nullptr;
    TShadowLabel* RxLabel8 = nullptr;
    TShadowLabel* RxLabel1 = nullptr;
    QPushButton* RxSpeedButton2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    TListBox* ListBox1 = nullptr;
    TListBox* ListBox2 = nullptr;
    TListBox* ListBox3 = nullptr;

    // Test2
    TPanel* Panel1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    TPanel* Panel6 = nullptr;
    TShadowLabel* RxLabel2 = nullptr;
    QCheckBox* Ch = nullptr;
    TPanel* Panel2 = nullptr;

    // HDD test
    QComboBox* DriveComboBox1 = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* Edit13 = nullptr;
    QLabel* Label6 = nullptr;
    TFilenameEdit* FilenameEdit1 = nullptr;
    TShadowLabel* FileSz = nullptr;
    QPushButton* RxSpeedButton1 = nullptr;
    TPanel* Panel5 = nullptr;
    TShadowLabel* RxLabel4 = nullptr;
    QLabel* Label4 = nullptr;
    TShadowLabel* HDDspeed = nullptr;
    QLabel* Label5 = nullptr;
    TShadowLabel* CDspeed = nullptr;
    TMemo* Memo2 = nullptr;

    // MemSpeed
    QPushButton* RxSpeedButton4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLabel* Label19 = nullptr;
    TPanel* Panel7 = nullptr;
    TShadowLabel* RxLabel10 = nullptr;
    TShadowLabel* Err = nullptr;
    TShadowLabel* FillCh = nullptr;
    TShadowLabel* ReadCh = nullptr;

    // Result
    QLabel* Label2 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button4 = nullptr;
    TMemo* List = nullptr;

    // HardForecast
    QLabel* Label10 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* Edit14 = nullptr;
    TSpinEdit* RxSpinEdit1 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLineEdit* Edit15 = nullptr;
    TSpinEdit* RxSpinEdit2 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QLineEdit* Edit16 = nullptr;
    TSpinEdit* RxSpinEdit3 = nullptr;
    QLabel* Label18 = nullptr;
    TSpinEdit* RxSpinEdit4 = nullptr;
    QPushButton* RxSpeedButton3 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label17 = nullptr;
    QLineEdit* Edit17 = nullptr;
    QLineEdit* Edit18 = nullptr;
    QLineEdit* Edit19 = nullptr;
    TMemo* Memo3 = nullptr;

private:
    // What every test's run is given: the machine as the window sees it now,
    // and hooks that show "Wait" on `status` when the test's first part
    // begins and tell standard output the runner's warnings.
    TTestMachine Machine() const;
    TTestHooks Hooks(TShadowLabel* status);
    // One line on standard output; a line that cannot be written raises the
    // I/O error of the failed write.
    void WriteStdOutLine(const std::string& line);
    // Builds every page and control with its design-time state.
    void CreateControls();
    // Connects each control event to its handler, inside the error handler.
    void ConnectHandlers();
    // The start-up sequence that fills the pages from the machine.
    void RunStartupSequence();

    TEnvironment env_;
    std::unique_ptr<TConditionSampler> conditions_;
    int conditionsTest_ = 0;  // the test whose conditions are being sampled, or 0
};

// The single instance, set while the window exists.
extern T_fVesktest* _fVesktest;

}  // namespace vt
