// Every control of the main window in its design-time state, from one table:
// name, parent, kind, geometry, caption or text, font, colours and flags.
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTest>

#include "app/look.h"
#include "app/widgets/filename_edit.h"
#include "app/widgets/list_box.h"
#include "app/widgets/memo.h"
#include "app/widgets/page_control.h"
#include "app/widgets/shadow_label.h"
#include "app/widgets/spin_edit.h"
#include "app/widgets/typed_length.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "window_fixture.h"

namespace vt::testing {
namespace {

struct Font {
    const char* family;
    int pixels;
    bool bold = false;
    bool italic = false;
};

struct Shadow {
    int size;
    const char* color;  // "highlight" for the palette's highlight colour
    bool upperRight;
};

enum Flag : unsigned {
    None = 0,
    ReadOnly = 1,
    Hidden = 2,
    Disabled = 4,
    Checked = 8,
    Centred = 16,
};

struct Control {
    const char* name;
    const char* parent;
    const char* kind;
    QRect geometry;    // a zero size: sized to its caption
    const char* text;  // UTF-8; nullptr: not fixed by the design
    Font font;
    const char* color;       // font colour of a shadowed label, "" none
    const char* background;  // "#rrggbb", "button" for the button face, "" none
    unsigned flags = None;
    int maxLength = 0;
    Shadow shadow = {1, "highlight", false};
};

const Font kWindowFont{"MS Sans Serif", 11};
const Font kStatusFont{"MS Sans Serif", 13, true};
const Font kBigFont{"Arial", 21};
const Font kRowFont{"Arial", 12, true};
const Font kMemoFont{"Courier", 11};
const char* const kGreen = "#008000";
const char* const kLightGreen = "#c0dcc0";
const char* const kLightBlue = "#a6caf0";

// clang-format off
const Control kControls[] = {
    {"PageControl1", "_fVesktest", "vt::TPageControl", {0, 0, 592, 344}, nullptr, kWindowFont, "", ""},
    {"TabSheet4", "PageControl1", "QWidget", {0, 0, 584, 316}, nullptr, kWindowFont, "", ""},
    {"TabSheet1", "PageControl1", "QWidget", {0, 0, 584, 316}, nullptr, kWindowFont, "", ""},
    {"TabSheet2", "PageControl1", "QWidget", {0, 0, 584, 316}, nullptr, kWindowFont, "", ""},
    {"TabSheet5", "PageControl1", "QWidget", {0, 0, 584, 316}, nullptr, kWindowFont, "", ""},
    {"TabSheet7", "PageControl1", "QWidget", {0, 0, 584, 316}, nullptr, kWindowFont, "", ""},
    {"TabSheet3", "PageControl1", "QWidget", {0, 0, 584, 316}, nullptr, kWindowFont, "", ""},
    {"TabSheet6", "PageControl1", "QWidget", {0, 0, 584, 316}, nullptr, kWindowFont, "", ""},

    // About
    {"Memo1", "TabSheet4", "vt::TMemo", {0, 0, 307, 316}, nullptr, kWindowFont, "", "#649ddd"},
    {"RxLabel6", "TabSheet4", "vt::TShadowLabel", {354, 129, 168, 42}, "Vesk-Test", {"Arial", 37, true, true}, kGreen, "", None, 0, {4, kLightGreen, true}},
    {"RxLabel9", "TabSheet4", "vt::TShadowLabel", {418, 169, 35, 28}, "1.1", {"Arial", 24, true, true}, kGreen, "", None, 0, {4, kLightGreen, true}},
    {"RxLabel7", "TabSheet4", "vt::TShadowLabel", {392, 203, 98, 36}, nullptr, {"Arial", 16, true, true}, "#ffff00", "", Centred, 0, {3, "#000000", true}},
    {"Label24", "TabSheet4", "QLabel", {369, 22, 0, 0}, "Автор:", kWindowFont, "", ""},
    {"Label28", "TabSheet4", "QLabel", {367, 42, 0, 0}, "Телефон", kWindowFont, "", ""},
    {"Label25", "TabSheet4", "QLabel", {369, 63, 0, 0}, "e-Mail", kWindowFont, "", ""},
    {"Label3", "TabSheet4", "QLabel", {369, 84, 0, 0}, "WWW:", kWindowFont, "", ""},
    {"Edit6", "TabSheet4", "QLineEdit", {405, 17, 157, 23}, nullptr, {"Arial", 12}, "", "button", ReadOnly},
    {"Edit8", "TabSheet4", "QLineEdit", {430, 38, 132, 23}, nullptr, {"Arial", 12}, "", "button", ReadOnly},
    {"Edit9", "TabSheet4", "QLineEdit", {405, 58, 157, 23}, nullptr, {"Arial", 12}, "", "button", ReadOnly},
    {"Edit10", "TabSheet4", "QLineEdit", {405, 78, 157, 23}, nullptr, {"Arial", 12}, "", "button", ReadOnly},

    // Test1
    {"Button1", "TabSheet1", "QPushButton", {15, 5, 160, 25}, "1. Create and Sort Lists\n   ", kWindowFont, "", ""},
    {"Button3", "TabSheet1", "QPushButton", {15, 31, 160, 25}, "2. 10^9 Cycles", kWindowFont, "", ""},
    {"Panel4", "TabSheet1", "vt::TPanel", {51, 71, 80, 24}, nullptr, kWindowFont, "", ""},
    {"RxLabel3", "Panel4", "vt::TShadowLabel", {16, 4, 49, 16}, "Ready", kStatusFont, kGreen, "", Centred},
    {"Panel3", "TabSheet1", "vt::TPanel", {37, 107, 109, 44}, nullptr, kWindowFont, "", ""},
    {"Edit1", "Panel3", "QLineEdit", {6, 12, 65, 21}, "", kWindowFont, "", kLightGreen, ReadOnly},
    {"Label1", "Panel3", "QLabel", {75, 17, 25, 13}, "msec", kWindowFont, "", ""},
    {"RxLabel8", "TabSheet1", "vt::TShadowLabel", {8, 217, 164, 24}, "**********", kBigFont, kGreen, "", Centred},
    {"RxLabel1", "TabSheet1", "vt::TShadowLabel", {8, 255, 164, 35}, "*****", {"Courier", 29, true}, kGreen, "", Centred},
    {"RxSpeedButton2", "TabSheet1", "QPushButton", {196, 4, 124, 19}, "show record", kWindowFont, "", ""},
    {"Edit3", "TabSheet1", "QLineEdit", {325, 3, 124, 21}, "", kWindowFont, "", kLightGreen},
    {"Edit4", "TabSheet1", "QLineEdit", {454, 3, 124, 21}, "", kWindowFont, "", kLightGreen},
    {"ListBox1", "TabSheet1", "vt::TListBox", {196, 26, 124, 284}, nullptr, {"Arial", 9}, "", kLightGreen},
    {"ListBox2", "TabSheet1", "vt::TListBox", {325, 26, 124, 284}, nullptr, {"Arial", 9}, "", kLightGreen},
    {"ListBox3", "TabSheet1", "vt::TListBox", {454, 26, 124, 284}, nullptr, {"Arial", 9}, "", kLightGreen},

    // Test2
    {"Panel1", "TabSheet2", "vt::TPanel", {0, 0, 584, 41}, nullptr, kWindowFont, "", ""},
    {"BitBtn1", "Panel1", "QPushButton", {8, 9, 160, 25}, "3. Draw Shapes", kWindowFont, "", ""},
    {"Edit2", "Panel1", "QLineEdit", {175, 10, 56, 21}, "10000", kWindowFont, "", kLightGreen},
    {"Panel6", "Panel1", "vt::TPanel", {244, 9, 80, 24}, nullptr, kWindowFont, "", ""},
    {"RxLabel2", "Panel6", "vt::TShadowLabel", {16, 4, 49, 16}, "Ready", kStatusFont, kGreen, "", Centred},
    {"Ch", "Panel1", "QCheckBox", {419, 14, 61, 17}, "Ch", kWindowFont, "", "", Checked | Disabled},
    {"Panel2", "TabSheet2", "vt::TPanel", {0, 41, 584, 275}, nullptr, kWindowFont, "", ""},

    // HDD test
    {"DriveComboBox1", "TabSheet5", "QComboBox", {10, 6, 72, 19}, nullptr, kWindowFont, "", ""},
    {"Label7", "TabSheet5", "QLabel", {7, 33, 140, 13}, "HDD Model, Size (8 symbols):", kWindowFont, "", ""},
    {"Edit13", "TabSheet5", "QLineEdit", {7, 48, 109, 21}, "", kWindowFont, "", kLightGreen, None, 8},
    {"Label6", "TabSheet5", "QLabel", {7, 77, 138, 13}, "Choose the File (size>50 mb):", kWindowFont, "", ""},
    {"FilenameEdit1", "TabSheet5", "vt::TFilenameEdit", {7, 94, 158, 21}, "", kWindowFont, "", kLightGreen},
    {"FileSz", "TabSheet5", "vt::TShadowLabel", {7, 122, 164, 24}, "0 Mb", kBigFont, kGreen, "", Centred},
    {"RxSpeedButton1", "TabSheet5", "QPushButton", {7, 149, 160, 25}, "4. HDD Speed (File Reading)", kWindowFont, "", ""},
    {"Panel5", "TabSheet5", "vt::TPanel", {41, 184, 80, 24}, nullptr, kWindowFont, "", ""},
    {"RxLabel4", "Panel5", "vt::TShadowLabel", {16, 4, 49, 16}, "Ready", kStatusFont, kGreen, "", Centred},
    {"Label4", "TabSheet5", "QLabel", {7, 213, 131, 13}, "Average speed of reading =", kWindowFont, "", ""},
    {"HDDspeed", "TabSheet5", "vt::TShadowLabel", {7, 230, 164, 24}, "0 Mb/s", kBigFont, kGreen, "", Centred},
    {"Label5", "TabSheet5", "QLabel", {7, 267, 133, 13}, "For CD's average x-speed =", kWindowFont, "", ""},
    {"CDspeed", "TabSheet5", "vt::TShadowLabel", {7, 285, 164, 24}, "0x", kBigFont, kGreen, "", Centred},
    {"Memo2", "TabSheet5", "vt::TMemo", {180, 0, 404, 316}, "", kMemoFont, "", kLightGreen},

    // MemSpeed
    {"RxSpeedButton4", "TabSheet7", "QPushButton", {8, 16, 160, 25}, "5. FillChar & ReadChar", kWindowFont, "", ""},
    {"Edit5", "TabSheet7", "QLineEdit", {177, 17, 37, 21}, "32", kWindowFont, "", kLightGreen},
    {"Label19", "TabSheet7", "QLabel", {219, 21, 18, 13}, "Mb ", kWindowFont, "", ""},
    {"Panel7", "TabSheet7", "vt::TPanel", {9, 53, 80, 24}, nullptr, kWindowFont, "", ""},
    {"RxLabel10", "Panel7", "vt::TShadowLabel", {16, 4, 49, 16}, "Ready", kStatusFont, kGreen, "", Centred},
    {"Err", "TabSheet7", "vt::TShadowLabel", {101, 54, 56, 18}, "0 errors", {"Arial", 16}, "#ff0000", "", Hidden},
    {"FillCh", "TabSheet7", "vt::TShadowLabel", {8, 91, 159, 24}, "0 Mb/s", kBigFont, kGreen, ""},
    {"ReadCh", "TabSheet7", "vt::TShadowLabel", {8, 118, 159, 24}, "0 Mb/s", kBigFont, kGreen, ""},

    // Result
    {"Label2", "TabSheet3", "QLabel", {8, 1, 117, 13}, "Description (22 symbols):", kWindowFont, "", ""},
    {"Edit7", "TabSheet3", "QLineEdit", {4, 15, 261, 24}, "", {"Arial", 13}, "", kLightGreen, None, 22},
    {"Button2", "TabSheet3", "QPushButton", {321, 15, 80, 24}, "Save", kWindowFont, "", ""},
    {"Button4", "TabSheet3", "QPushButton", {406, 15, 80, 24}, "Clear", kWindowFont, "", ""},
    {"List", "TabSheet3", "vt::TMemo", {0, 44, 584, 272}, "", kMemoFont, "", kLightGreen},

    // HardForecast
    {"Label10", "TabSheet6", "QLabel", {211, 10, 82, 30}, "Год \nприобретения", kRowFont, "", "", Centred},
    {"Label8", "TabSheet6", "QLabel", {46, 49, 65, 15}, "Процессор", kRowFont, "", ""},
    {"Label9", "TabSheet6", "QLabel", {120, 32, 75, 13}, "частота в МГц:", kWindowFont, "", ""},
    {"Edit14", "TabSheet6", "QLineEdit", {120, 46, 75, 21}, "1466", kWindowFont, "", kLightGreen},
    {"RxSpinEdit1", "TabSheet6", "vt::TSpinEdit", {219, 46, 65, 21}, "2003", kWindowFont, "", kLightGreen},
    {"Label11", "TabSheet6", "QLabel", {49, 90, 62, 15}, "Винчестер", kRowFont, "", ""},
    {"Label12", "TabSheet6", "QLabel", {120, 74, 74, 13}, "ёмкость  в ГБ:", kWindowFont, "", ""},
    {"Edit15", "TabSheet6", "QLineEdit", {120, 88, 75, 21}, "", kWindowFont, "", kLightGreen},
    {"RxSpinEdit2", "TabSheet6", "vt::TSpinEdit", {219, 88, 65, 21}, "2003", kWindowFont, "", kLightGreen},
    {"Label13", "TabSheet6", "QLabel", {84, 136, 27, 15}, "ОЗУ ", kRowFont, "", ""},
    {"Label14", "TabSheet6", "QLabel", {120, 118, 67, 13}, "объём  в МБ:", kWindowFont, "", ""},
    {"Edit16", "TabSheet6", "QLineEdit", {120, 132, 75, 21}, "256", kWindowFont, "", kLightGreen},
    {"RxSpinEdit3", "TabSheet6", "vt::TSpinEdit", {219, 132, 65, 21}, "2003", kWindowFont, "", kLightGreen},
    {"Label18", "TabSheet6", "QLabel", {306, 52, 104, 30}, "Рассчитываемый\nГод ", kRowFont, "", "", Centred},
    {"RxSpinEdit4", "TabSheet6", "vt::TSpinEdit", {325, 88, 65, 21}, "2003", kWindowFont, "", kLightBlue},
    {"RxSpeedButton3", "TabSheet6", "QPushButton", {325, 117, 65, 27}, "\u2794", {"Wingdings", 21, true}, "", ""},
    {"Label15", "TabSheet6", "QLabel", {429, 32, 0, 0}, "частота в МГц:", kWindowFont, "", ""},
    {"Label16", "TabSheet6", "QLabel", {429, 74, 0, 0}, "ёмкость  в ГБ:", kWindowFont, "", ""},
    {"Label17", "TabSheet6", "QLabel", {429, 118, 0, 0}, "объём  в МБ:", kWindowFont, "", ""},
    {"Edit17", "TabSheet6", "QLineEdit", {429, 46, 75, 21}, "", kWindowFont, "", kLightBlue, ReadOnly},
    {"Edit18", "TabSheet6", "QLineEdit", {429, 88, 75, 21}, "", kWindowFont, "", kLightBlue, ReadOnly},
    {"Edit19", "TabSheet6", "QLineEdit", {429, 132, 75, 21}, "", kWindowFont, "", kLightBlue, ReadOnly},
    {"Memo3", "TabSheet6", "vt::TMemo", {0, 167, 584, 149}, "", kWindowFont, "", "button"},
};
// clang-format on

bool IsDesignName(const QString& name)
{
    return !name.isEmpty() && !name.startsWith("qt_");
}

// The nearest ancestor that is a control of the design (a page sits in the
// page control's internal stack).
QString ParentName(const QWidget* w)
{
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (IsDesignName(p->objectName())) return p->objectName();
    return {};
}

// What the control shows as its caption or text.
std::optional<QString> ShownText(const QWidget* w)
{
    if (auto* b = qobject_cast<const QPushButton*>(w))
        return QString(b->text()).replace(QStringLiteral("&&"), QStringLiteral("&"));
    if (auto* c = qobject_cast<const QCheckBox*>(w)) return c->text();
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* s = qobject_cast<const TShadowLabel*>(w)) return s->Caption();
    if (auto* s = qobject_cast<const TSpinEdit*>(w)) return s->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    if (auto* f = qobject_cast<const TFilenameEdit*>(w)) return f->Text();
    if (auto* m = qobject_cast<const TMemo*>(w)) return m->toPlainText();
    return std::nullopt;
}

std::optional<QColor> Background(const QWidget* w)
{
    if (auto* f = qobject_cast<const TFilenameEdit*>(w)) w = f->Edit();
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractScrollArea*>(w) ||
        qobject_cast<const QAbstractSpinBox*>(w))
        return w->palette().color(QPalette::Base);
    return std::nullopt;
}

class LayoutTest : public WindowTest {
protected:
    // The window as designed: the start-up sequence fails at its first step,
    // so nothing it would fill is touched.
    T_fVesktest& OpenAtDesignTime()
    {
        env.ReadTotalPhysMem = []() -> std::int64_t { throw EAbort(); };
        return Open();
    }
};

TEST_F(LayoutTest, EveryControlAsDesigned)
{
    T_fVesktest& w = OpenAtDesignTime();
    const QColor buttonFace = w.palette().color(QPalette::Button);
    const QColor highlight = w.palette().color(QPalette::Highlight);
    auto color = [&](const char* name) {
        if (std::string_view(name) == "button") return buttonFace;
        if (std::string_view(name) == "highlight") return highlight;
        return QColor(QString::fromLatin1(name));
    };

    QSet<QString> listed;
    for (const Control& c : kControls) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromLatin1(c.name);
        listed.insert(name);
        auto* widget = w.findChild<QWidget*>(name);
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), c.kind);
        EXPECT_EQ(ParentName(widget), QString::fromLatin1(c.parent));

        if (c.geometry.width() == 0) {
            EXPECT_EQ(widget->pos(), c.geometry.topLeft());
            EXPECT_EQ(widget->size(), widget->sizeHint());
        } else {
            EXPECT_EQ(widget->geometry(), c.geometry);
        }

        if (c.text) {
            const auto shown = ShownText(widget);
            ASSERT_TRUE(shown.has_value());
            EXPECT_EQ(*shown, QString::fromUtf8(c.text));
        }

        const QFont f = widget->font();
        EXPECT_EQ(f.family(), QString::fromLatin1(c.font.family));
        EXPECT_EQ(f.pixelSize(), c.font.pixels);
        EXPECT_EQ(f.bold(), c.font.bold);
        EXPECT_EQ(f.italic(), c.font.italic);

        if (*c.background) {
            const auto bg = Background(widget);
            ASSERT_TRUE(bg.has_value());
            EXPECT_EQ(bg->name(), color(c.background).name());
        }

        if (auto* e = qobject_cast<QLineEdit*>(widget)) {
            EXPECT_EQ(e->isReadOnly(), (c.flags & ReadOnly) != 0);
            EXPECT_EQ(TypedLengthLimit(e), c.maxLength);
        }
        // The page control shows one page at a time; every other control is
        // hidden only when the design says so.
        if (ParentName(widget) != QStringLiteral("PageControl1")) {
            EXPECT_EQ(widget->isHidden(), (c.flags & Hidden) != 0);
        }
        EXPECT_EQ(widget->isEnabled(), (c.flags & Disabled) == 0);
        if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            EXPECT_EQ(box->isChecked(), (c.flags & Checked) != 0);
        }
        if (auto* b = qobject_cast<QPushButton*>(widget)) {
            EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
        }

        if (auto* s = qobject_cast<TShadowLabel*>(widget)) {
            EXPECT_EQ(s->FontColor().name(), color(c.color).name());
            EXPECT_EQ(s->ShadowSize(), c.shadow.size);
            EXPECT_EQ(s->ShadowColor().name(), color(c.shadow.color).name());
            EXPECT_EQ(s->ShadowPosition(), c.shadow.upperRight
                                               ? TShadowLabel::ShadowPos::UpperRight
                                               : TShadowLabel::ShadowPos::UpperLeft);
            EXPECT_EQ((s->Alignment() & Qt::AlignHCenter) != 0, (c.flags & Centred) != 0);
        }
        if (auto* l = qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ((l->alignment() & Qt::AlignHCenter) != 0, (c.flags & Centred) != 0);
        }
    }

    // Nothing beyond the table (the tab bar's own scroll buttons aside).
    for (const QWidget* child : w.findChildren<QWidget*>())
        if (IsDesignName(child->objectName()) && !qobject_cast<QTabBar*>(child->parentWidget())) {
            EXPECT_TRUE(listed.contains(child->objectName())) << child->objectName().toStdString();
        }
}

TEST_F(LayoutTest, WindowFrameAndPages)
{
    T_fVesktest& w = OpenAtDesignTime();
    EXPECT_EQ(w.objectName(), QStringLiteral("_fVesktest"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vesk-Test"));
    EXPECT_EQ(w.size(), QSize(592, 344));
    EXPECT_EQ(w.minimumSize(), QSize(592, 344));
    EXPECT_EQ(w.maximumSize(), QSize(592, 344));
    const Qt::WindowFlags flags = w.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(w.font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(w.font().pixelSize(), 11);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QPoint offset = w.geometry().center() - screen->availableGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2);
    }

    const QStringList captions = {"About",    "Test1",  "Test2",       "HDD test",
                                  "MemSpeed", "Result", "HardForecast"};
    const QStringList names = {"TabSheet4", "TabSheet1", "TabSheet2", "TabSheet5",
                               "TabSheet7", "TabSheet3", "TabSheet6"};
    ASSERT_EQ(w.PageControl1->PageCount(), 7);
    ASSERT_EQ(w.PageControl1->TabBar()->count(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(w.PageControl1->TabBar()->tabText(i), captions[i]);
        EXPECT_EQ(w.PageControl1->Page(i)->objectName(), names[i]);
    }
    EXPECT_EQ(w.PageControl1->ActivePageIndex(), 0);
    EXPECT_EQ(w.PageControl1->Page(0), w.TabSheet4);

    // Shown, every page gets exactly its client area inside the window.
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    for (int i = 0; i < 7; ++i) {
        w.PageControl1->SetActivePageIndex(i);
        QWidget* page = w.PageControl1->Page(i);
        EXPECT_TRUE(page->isVisible()) << i;
        EXPECT_EQ(page->size(), QSize(584, 316)) << i;
        const QRect inWindow(page->mapTo(&w, QPoint(0, 0)), page->size());
        EXPECT_TRUE(w.rect().contains(inWindow)) << i;
        EXPECT_GE(inWindow.top(), w.PageControl1->TabBar()->geometry().bottom()) << i;
    }
}

TEST_F(LayoutTest, AboutMemoShowsItsBuiltInLines)
{
    T_fVesktest& w = OpenAtDesignTime();
    EXPECT_EQ(w.Memo1->Lines(), BuiltInAboutLines());
    EXPECT_EQ(w.List->LineCount(), 0);
    // The place-and-years label has two lines; the contact fields are filled.
    EXPECT_EQ(w.RxLabel7->Caption().count(QLatin1Char('\n')), 1);
    for (QLineEdit* e : {w.Edit6, w.Edit8, w.Edit9, w.Edit10}) EXPECT_FALSE(e->text().isEmpty());
}

TEST_F(LayoutTest, ScrollBarsWrapAndListRows)
{
    T_fVesktest& w = OpenAtDesignTime();
    EXPECT_EQ(w.List->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(w.List->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(w.List->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(w.Memo3->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(w.Memo3->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_NE(w.Memo3->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    for (TListBox* box : {w.ListBox1, w.ListBox2, w.ListBox3}) {
        box->Items().Add("Abcdefghijklmno");
        box->Items().Add("Pqrstuvwxyz");
        EXPECT_EQ(box->visualRect(box->model()->index(0, 0)).height(), 12);
        EXPECT_EQ(box->visualRect(box->model()->index(1, 0)).top(),
                  box->visualRect(box->model()->index(0, 0)).top() + 12);
    }
}

TEST_F(LayoutTest, YearSpinEditsKeepTheirRange)
{
    T_fVesktest& w = OpenAtDesignTime();
    for (TSpinEdit* s : {w.RxSpinEdit1, w.RxSpinEdit2, w.RxSpinEdit3, w.RxSpinEdit4}) {
        SCOPED_TRACE(s->objectName().toStdString());
        EXPECT_EQ(s->minimum(), 1982);
        EXPECT_EQ(s->maximum(), 2050);
        EXPECT_EQ(s->singleStep(), 1);
        EXPECT_EQ(s->Value(), 2003);
        s->setValue(1970);
        EXPECT_EQ(s->Value(), 1982);
        s->setValue(2100);
        EXPECT_EQ(s->Value(), 2050);
    }
}

TEST_F(LayoutTest, CheckBoxStaysTicked)
{
    T_fVesktest& w = OpenAtDesignTime();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.PageControl1->SetActivePageIndex(2);
    QTest::mouseClick(w.Ch, Qt::LeftButton);
    EXPECT_TRUE(w.Ch->isChecked());
}

TEST_F(LayoutTest, CaptionsFitTheirLabels)
{
    T_fVesktest& w = OpenAtDesignTime();
    for (QLabel* label : w.findChildren<QLabel*>()) {
        const QFontMetrics fm(label->font());
        for (const QString& line : label->text().split(QLatin1Char('\n')))
            EXPECT_LE(fm.horizontalAdvance(line), label->contentsRect().width())
                << label->objectName().toStdString() << ": " << line.toStdString();
    }
}

TEST_F(LayoutTest, DesignFontsFindTheirSubstitutes)
{
    T_fVesktest& w = OpenAtDesignTime();
    const QStringList families = QFontDatabase::families();
    if (!families.contains(QStringLiteral("Liberation Sans")) ||
        !families.contains(QStringLiteral("Liberation Mono")) ||
        !families.contains(QStringLiteral("DejaVu Sans")))
        GTEST_SKIP() << "fonts-liberation or fonts-dejavu-core not installed";
    EXPECT_EQ(QFontInfo(w.Label7->font()).family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(QFontInfo(w.RxLabel6->font()).family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(QFontInfo(w.List->font()).family(), QStringLiteral("Liberation Mono"));
    EXPECT_TRUE(QFontInfo(w.List->font()).fixedPitch());
    // The arrow glyph is in the font the button's symbol font stands for.
    EXPECT_TRUE(QFontMetrics(w.RxSpeedButton3->font()).inFontUcs4(0x2794));
}

// The bounding box of the pixels of exactly one colour.
QRect PixelsOf(const QImage& image, const QColor& color)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).rgb() == color.rgb()) box |= QRect(x, y, 1, 1);
    return box;
}

TEST(ShadowLabel, ShadowFallsTowardsItsCorner)
{
    QWidget host;
    host.resize(200, 80);
    auto* label = new TShadowLabel(&host);
    label->setGeometry(0, 0, 200, 80);
    label->setFont(DesignFont("DejaVu Sans", 40, true));
    label->SetCaption(QStringLiteral("H"));
    label->SetFontColor(QColor(0, 128, 0));
    label->SetAlignment(Qt::AlignHCenter | Qt::AlignTop);

    // Default: one pixel of highlight colour, up and to the left.
    EXPECT_EQ(label->ShadowSize(), 1);
    EXPECT_EQ(label->ShadowPosition(), TShadowLabel::ShadowPos::UpperLeft);
    QImage image = label->grab().toImage();
    QRect text = PixelsOf(image, QColor(0, 128, 0));
    QRect shadow = PixelsOf(image, label->ShadowColor());
    ASSERT_FALSE(text.isEmpty());
    ASSERT_FALSE(shadow.isEmpty());
    EXPECT_EQ(shadow.left(), text.left() - 1);
    EXPECT_EQ(shadow.top(), text.top() - 1);

    // Given: that many pixels of that colour, up and to the right.
    label->SetShadow(4, QColor(0, 0, 0), TShadowLabel::ShadowPos::UpperRight);
    image = label->grab().toImage();
    text = PixelsOf(image, QColor(0, 128, 0));
    shadow = PixelsOf(image, QColor(0, 0, 0));
    ASSERT_FALSE(shadow.isEmpty());
    EXPECT_EQ(shadow.right(), text.right() + 4);
    EXPECT_EQ(shadow.top(), text.top() - 4);
    EXPECT_GE(shadow.top(), 0);
}

}  // namespace
}  // namespace vt::testing

namespace vt::testing {

// The drive selector offers the file systems that stand in for the drives
// and shows the one holding the current directory.
TEST_F(WindowTest, DriveSelectorShowsTheCurrentDrive)
{
    auto& w = Open();
    ASSERT_GE(w.DriveComboBox1->count(), 1);
    const QString current = w.DriveComboBox1->currentText();
    const QString cwd = QDir::currentPath();
    EXPECT_TRUE(current == QStringLiteral("/") || cwd == current ||
                cwd.startsWith(current + QLatin1Char('/')))
        << current.toStdString();
}

}  // namespace vt::testing
