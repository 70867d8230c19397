#include "app/firstcl_.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cerrno>
#include <ostream>

#include "app/dialogs.h"
#include "app/error_handler.h"
#include "app/look.h"
#include "app/qt_text.h"
#include "app/widgets/filename_edit.h"
#include "app/widgets/list_box.h"
#include "app/widgets/memo.h"
#include "app/widgets/shadow_label.h"
#include "platform/errors.h"
#include "results/result_line.h"
#include "sysinfo/run_conditions.h"

namespace vt {

T_fVesktest* _fVesktest = nullptr;

T_fVesktest::T_fVesktest(TEnvironment env, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      env_(std::move(env))
{
    _fVesktest = this;
    if (env_.ConditionSampler) conditions_ = env_.ConditionSampler();
    setObjectName(QStringLiteral("_fVesktest"));
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    CreateControls();
    ConnectHandlers();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    Guarded(this, [this] { FormCreate(this); });
}

T_fVesktest::~T_fVesktest()
{
    FormDestroy(this);
    if (_fVesktest == this) _fVesktest = nullptr;
}

void T_fVesktest::FormCreate(QObject*)
{
    SortKeyList = std::make_unique<TStringList>();
    SortItemList = std::make_unique<TStringList>();
    RunStartupSequence();
}

void T_fVesktest::FormDestroy(QObject*)
{
    // The lists go; the records attached to their entries are released by
    // the list test, which owns them.
    SortKeyList.reset();
    SortItemList.reset();
}

void T_fVesktest::ConnectHandlers()
{
    auto onClick = [this](QAbstractButton* button, void (T_fVesktest::*handler)(QObject*)) {
        connect(button, &QAbstractButton::clicked, this,
                [this, button, handler] { Guarded(this, [&] { (this->*handler)(button); }); });
    };
    onClick(Button1, &T_fVesktest::Button1Click);
    onClick(Button3, &T_fVesktest::Button3Click);
    onClick(BitBtn1, &T_fVesktest::BitBtn1Click);
    onClick(RxSpeedButton1, &T_fVesktest::RxSpeedButton1Click);
    onClick(RxSpeedButton2, &T_fVesktest::RxSpeedButton2Click);
    onClick(RxSpeedButton3, &T_fVesktest::RxSpeedButton3Click);
    onClick(RxSpeedButton4, &T_fVesktest::RxSpeedButton4Click);
    onClick(Button2, &T_fVesktest::Button2Click);
    onClick(Button4, &T_fVesktest::Button4Click);

    for (TListBox* box : {ListBox1, ListBox2, ListBox3}) {
        connect(box, &TListBox::Clicked, this,
                [this, box] { Guarded(this, [&] { ListBoxChange(box); }); });
        connect(box, &TListBox::DoubleClicked, this,
                [this, box] { Guarded(this, [&] { ListBox1DblClick(box); }); });
    }
    FilenameEdit1->AfterDialog = [this](QString& name, bool& action) {
        Guarded(this, [&] { FilenameEdit1AfterDialog(FilenameEdit1, name, action); });
    };
}

void T_fVesktest::ShowWait(TShadowLabel* label)
{
    label->SetCaption(QStringLiteral("Wait"));
    label->SetFontColor(kStatusRed);
    QCoreApplication::processEvents();
}

void T_fVesktest::ShowReady(TShadowLabel* label)
{
    label->SetCaption(QStringLiteral("Ready"));
    label->SetFontColor(kStatusGreen);
}

void T_fVesktest::BeginConditions(int test)
{
    if (!conditions_) return;
    conditions_->Begin();
    conditions_->PartBegins(ThreadUseOfTest(test));
    conditionsTest_ = test;
}

void T_fVesktest::EndConditions(int test)
{
    // A test refused before its first measured part was never sampled.
    if (!conditions_ || conditionsTest_ != test) return;
    TestConditions[test] = conditions_->End();
    conditionsTest_ = 0;
}

std::optional<TRunConditions> T_fVesktest::RunConditions(const std::vector<int>& tests) const
{
    std::vector<std::pair<int, TRunConditions>> ran;
    for (const auto& [test, conditions] : TestConditions)
        if (tests.empty() || std::find(tests.begin(), tests.end(), test) != tests.end())
            ran.emplace_back(test, conditions);
    if (ran.empty()) return std::nullopt;
    return CombineConditions(ran);
}

std::string T_fVesktest::FormatResultLine() const
{
    return vt::FormatResultLine(Scores, A(Edit7->text()), A(Edit13->text()), env_.Format);
}

TTestMachine T_fVesktest::Machine() const
{
    return TestMachine(env_, TotalPhysMem);
}

TTestHooks T_fVesktest::Hooks(TShadowLabel* status)
{
    TTestHooks hooks;
    // The conditions of a test are sampled from its first measured part on,
    // after the status label has been repainted.
    hooks.Step = [this, status](int test, int part, const std::string&) {
        if (part != 0) return;
        ShowWait(status);
        BeginConditions(test);
    };
    hooks.Message = [this](const std::string& text) { WriteStdOutLine(text); };
    return hooks;
}

void T_fVesktest::WriteStdOutLine(const std::string& line)
{
    std::ostream& out = *env_.StdOut;
    errno = 0;
    out << line << '\n' << std::flush;
    if (!out) {
        const int code = errno != 0 ? errno : EIO;
        out.clear();
        throw EInOutError(code);
    }
}

void T_fVesktest::ToTab()
{
    List->AddLine(FormatResultLine());
}

}  // namespace vt
