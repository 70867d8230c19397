// The window's pages and controls with their design-time state: names,
// positions, captions, initial texts and looks.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/firstcl_.h"
#include "app/look.h"
#include "app/qt_text.h"
#include "app/widgets/filename_edit.h"
#include "app/widgets/list_box.h"
#include "app/widgets/memo.h"
#include "app/widgets/page_control.h"
#include "app/widgets/panel.h"
#include "app/widgets/shadow_label.h"
#include "app/widgets/spin_edit.h"
#include "app/widgets/typed_length.h"
#include "platform/drive_space.h"

namespace vt {

namespace {

// The colours the design names.
const QColor kGreen = Bgr(0x008000);
const QColor kYellow = Bgr(0x00FFFF);
const QColor kRed = Bgr(0x0000FF);
const QColor kBlack = Bgr(0x000000);

template <class W>
W* Make(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(left, top, width, height);
    return w;
}

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, int width, int height,
                  const QString& caption)
{
    auto* l = Make<QLabel>(parent, name, left, top, width, height);
    l->setText(caption);
    l->setTextFormat(Qt::PlainText);
    return l;
}

// A label that takes the size of its caption, placed at its top-left corner.
QLabel* MakeAutoLabel(QWidget* parent, const char* name, int left, int top, const QString& caption)
{
    auto* l = MakeLabel(parent, name, left, top, 0, 0, caption);
    l->adjustSize();
    return l;
}

QPushButton* MakeButton(QWidget* parent, const char* name, int left, int top, int width, int height,
                        const QString& caption)
{
    auto* b = Make<QPushButton>(parent, name, left, top, width, height);
    b->setText(caption);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int left, int top, int width, int height,
                    const QString& text, const QColor& background)
{
    auto* e = Make<QLineEdit>(parent, name, left, top, width, height);
    e->setText(text);
    SetBackground(e, background);
    return e;
}

TShadowLabel* MakeShadowLabel(QWidget* parent, const char* name, int left, int top, int width,
                              int height, const QString& caption, const QFont& font,
                              const QColor& color, Qt::Alignment alignment = Qt::AlignLeft)
{
    auto* l = Make<TShadowLabel>(parent, name, left, top, width, height);
    l->SetCaption(caption);
    l->setFont(font);
    l->SetFontColor(color);
    l->SetAlignment(alignment | Qt::AlignTop);
    return l;
}

// A status label on its small sunken panel, "Ready" in green.
TShadowLabel* MakeStatus(QWidget* parent, const char* panelName, int left, int top,
                         const char* labelName, TPanel** panel)
{
    *panel = Make<TPanel>(parent, panelName, left, top, 80, 24);
    return MakeShadowLabel(*panel, labelName, 16, 4, 49, 16, QStringLiteral("Ready"),
                           DesignFont("MS Sans Serif", 13, true), kStatusGreen, Qt::AlignHCenter);
}

TSpinEdit* MakeYear(QWidget* parent, const char* name, int left, int top, const QColor& bg)
{
    auto* s = Make<TSpinEdit>(parent, name, left, top, 65, 21);
    s->setRange(1982, 2050);
    s->setSingleStep(1);
    s->setValue(2003);
    SetBackground(s, bg);
    return s;
}

// The drive selector lists the file systems that stand in for the drives and
// shows the one that holds the current directory.
void FillDriveList(QComboBox* box)
{
    const QString cwd = QDir::currentPath();
    int current = 0;
    qsizetype longest = -1;
    for (const TMountEntry& m : SelectDriveMounts(ReadMountTable())) {
        const QString point = QString::fromStdString(m.MountPoint);
        box->addItem(point);
        const bool holds = cwd == point || point == QStringLiteral("/") ||
                           cwd.startsWith(point + QLatin1Char('/'));
        if (holds && point.size() > longest) {
            longest = point.size();
            current = box->count() - 1;
        }
    }
    if (box->count() == 0) box->addItem(QStringLiteral("/"));
    box->setCurrentIndex(current);
}

}  // namespace

void T_fVesktest::CreateControls()
{
    setFixedSize(592, 344);
    setFont(DesignFont("MS Sans Serif", 11));

    PageControl1 = Make<TPageControl>(this, "PageControl1", 0, 0, 592, 344);
    TabSheet4 = PageControl1->AddPage(QStringLiteral("TabSheet4"), QStringLiteral("About"));
    TabSheet1 = PageControl1->AddPage(QStringLiteral("TabSheet1"), QStringLiteral("Test1"));
    TabSheet2 = PageControl1->AddPage(QStringLiteral("TabSheet2"), QStringLiteral("Test2"));
    TabSheet5 = PageControl1->AddPage(QStringLiteral("TabSheet5"), QStringLiteral("HDD test"));
    TabSheet7 = PageControl1->AddPage(QStringLiteral("TabSheet7"), QStringLiteral("MemSpeed"));
    TabSheet3 = PageControl1->AddPage(QStringLiteral("TabSheet3"), QStringLiteral("Result"));
    TabSheet6 = PageControl1->AddPage(QStringLiteral("TabSheet6"), QStringLiteral("HardForecast"));
    PageControl1->SetActivePageIndex(0);
    const QColor buttonFace = palette().color(QPalette::Button);

    // ---- About ----
    Memo1 = Make<TMemo>(TabSheet4, "Memo1", 0, 0, 307, 316);
    SetBackground(Memo1, Bgr(0xDD9D64));
    Memo1->SetLines({
        "",
        "1. Create & Sort Lists",
        "2. 10^9 Empty Cycles",
        "3. Draw Shapes",
        "4. HDD Speed (File Reading)",
        "5. FillChar & ReadChar",
        "        ",
        Ansi("Результаты тестов 1 и особенно 3 сильно зависят от "),
        Ansi("разрешения экрана и количества цветов. Поэтому лучше "),
        Ansi("тестировать в режиме 800x600, 16 бит цвет."),
        "",
        Ansi("Желательно отключить все программные мониторы."),
        "",
        Ansi("Для тестирования HDD лучше выбирать файлы > 100 мб"),
    });
    RxLabel6 =
        MakeShadowLabel(TabSheet4, "RxLabel6", 354, 129, 168, 42, QStringLiteral("Vesk-Test"),
                        DesignFont("Arial", 37, true, true), kGreen);
    RxLabel6->SetShadow(4, kLightGreen, TShadowLabel::ShadowPos::UpperRight);
    RxLabel9 = MakeShadowLabel(TabSheet4, "RxLabel9", 418, 169, 35, 28, QStringLiteral("1.1"),
                               DesignFont("Arial", 24, true, true), kGreen);
    RxLabel9->SetShadow(4, kLightGreen, TShadowLabel::ShadowPos::UpperRight);
    RxLabel7 =
        MakeShadowLabel(TabSheet4, "RxLabel7", 392, 203, 98, 36, QStringLiteral("Linux\n2003-2026"),
                        DesignFont("Arial", 16, true, true), kYellow, Qt::AlignHCenter);
    RxLabel7->SetShadow(3, kBlack, TShadowLabel::ShadowPos::UpperRight);
    Label24 = MakeAutoLabel(TabSheet4, "Label24", 369, 22, U("Автор:"));
    Label28 = MakeAutoLabel(TabSheet4, "Label28", 367, 42, U("Телефон"));
    Label25 = MakeAutoLabel(TabSheet4, "Label25", 369, 63, U("e-Mail"));
    Label3 = MakeAutoLabel(TabSheet4, "Label3", 369, 84, U("WWW:"));
    struct Contact {
        QLineEdit** edit;
        const char* name;
        int left, top, width;
        const char* text;
    };
    for (const Contact& c :
         {Contact{&Edit6, "Edit6", 405, 17, 157, "Vesk-Test team"},
          Contact{&Edit8, "Edit8", 430, 38, 132, "-"}, Contact{&Edit9, "Edit9", 405, 58, 157, "-"},
          Contact{&Edit10, "Edit10", 405, 78, 157, "-"}}) {
        *c.edit = MakeEdit(TabSheet4, c.name, c.left, c.top, c.width, 23, U(c.text), buttonFace);
        (*c.edit)->setReadOnly(true);
        (*c.edit)->setFont(DesignFont("Arial", 12));
    }

    // ---- Test1 ----
    Button1 = MakeButton(TabSheet1, "Button1", 15, 5, 160, 25,
                         QStringLiteral("1. Create and Sort Lists\n   "));
    Button3 = MakeButton(TabSheet1, "Button3", 15, 31, 160, 25, QStringLiteral("2. 10^9 Cycles"));
    RxLabel3 = MakeStatus(TabSheet1, "Panel4", 51, 71, "RxLabel3", &Panel4);
    Panel3 = Make<TPanel>(TabSheet1, "Panel3", 37, 107, 109, 44);
    Edit1 = MakeEdit(Panel3, "Edit1", 6, 12, 65, 21, QString(), kLightGreen);
    Edit1->setReadOnly(true);
    Label1 = MakeLabel(Panel3, "Label1", 75, 17, 25, 13, QStringLiteral("msec"));
    RxLabel8 = MakeShadowLabel(TabSheet1, "RxLabel8", 8, 217, 164, 24, QStringLiteral("**********"),
                               DesignFont("Arial", 21), kGreen, Qt::AlignHCenter);
    RxLabel1 = MakeShadowLabel(TabSheet1, "RxLabel1", 8, 255, 164, 35, QStringLiteral("*****"),
                               DesignFont("Courier", 29, true), kGreen, Qt::AlignHCenter);
    RxSpeedButton2 =
        MakeButton(TabSheet1, "RxSpeedButton2", 196, 4, 124, 19, QStringLiteral("show record"));
    Edit3 = MakeEdit(TabSheet1, "Edit3", 325, 3, 124, 21, QString(), kLightGreen);
    Edit4 = MakeEdit(TabSheet1, "Edit4", 454, 3, 124, 21, QString(), kLightGreen);
    struct Box {
        TListBox** box;
        const char* name;
        int left;
    };
    for (const Box& b : {Box{&ListBox1, "ListBox1", 196}, Box{&ListBox2, "ListBox2", 325},
                         Box{&ListBox3, "ListBox3", 454}}) {
        *b.box = Make<TListBox>(TabSheet1, b.name, b.left, 26, 124, 284);
        StyleTest1ListBox(*b.box);
    }

    // ---- Test2 ----
    Panel1 = Make<TPanel>(TabSheet2, "Panel1", 0, 0, 584, 41);
    BitBtn1 = MakeButton(Panel1, "BitBtn1", 8, 9, 160, 25, QStringLiteral("3. Draw Shapes"));
    Edit2 = MakeEdit(Panel1, "Edit2", 175, 10, 56, 21, QStringLiteral("10000"), kLightGreen);
    RxLabel2 = MakeStatus(Panel1, "Panel6", 244, 9, "RxLabel2", &Panel6);
    Ch = Make<QCheckBox>(Panel1, "Ch", 419, 14, 61, 17);
    Ch->setText(QStringLiteral("Ch"));
    Ch->setChecked(true);
    Ch->setEnabled(false);
    Panel2 = Make<TPanel>(TabSheet2, "Panel2", 0, 41, 584, 275);

    // ---- HDD test ----
    DriveComboBox1 = Make<QComboBox>(TabSheet5, "DriveComboBox1", 10, 6, 72, 19);
    FillDriveList(DriveComboBox1);
    Label7 = MakeLabel(TabSheet5, "Label7", 7, 33, 140, 13,
                       QStringLiteral("HDD Model, Size (8 symbols):"));
    Edit13 = MakeEdit(TabSheet5, "Edit13", 7, 48, 109, 21, QString(), kLightGreen);
    LimitTypedLength(Edit13, 8);
    Label6 = MakeLabel(TabSheet5, "Label6", 7, 77, 138, 13,
                       QStringLiteral("Choose the File (size>50 mb):"));
    FilenameEdit1 = Make<TFilenameEdit>(TabSheet5, "FilenameEdit1", 7, 94, 158, 21);
    SetBackground(FilenameEdit1->Edit(), kLightGreen);
    const QFont big = DesignFont("Arial", 21);
    FileSz = MakeShadowLabel(TabSheet5, "FileSz", 7, 122, 164, 24, QStringLiteral("0 Mb"), big,
                             kGreen, Qt::AlignHCenter);
    RxSpeedButton1 = MakeButton(TabSheet5, "RxSpeedButton1", 7, 149, 160, 25,
                                QStringLiteral("4. HDD Speed (File Reading)"));
    RxLabel4 = MakeStatus(TabSheet5, "Panel5", 41, 184, "RxLabel4", &Panel5);
    Label4 = MakeLabel(TabSheet5, "Label4", 7, 213, 131, 13,
                       QStringLiteral("Average speed of reading ="));
    HDDspeed = MakeShadowLabel(TabSheet5, "HDDspeed", 7, 230, 164, 24, QStringLiteral("0 Mb/s"),
                               big, kGreen, Qt::AlignHCenter);
    Label5 = MakeLabel(TabSheet5, "Label5", 7, 267, 133, 13,
                       QStringLiteral("For CD's average x-speed ="));
    CDspeed = MakeShadowLabel(TabSheet5, "CDspeed", 7, 285, 164, 24, QStringLiteral("0x"), big,
                              kGreen, Qt::AlignHCenter);
    Memo2 = Make<TMemo>(TabSheet5, "Memo2", 180, 0, 404, 316);
    Memo2->setFont(DesignFont("Courier", 11));
    SetBackground(Memo2, kLightGreen);

    // ---- MemSpeed ----
    // "&&" shows one ampersand instead of marking an accelerator.
    RxSpeedButton4 = MakeButton(TabSheet7, "RxSpeedButton4", 8, 16, 160, 25,
                                QStringLiteral("5. FillChar && ReadChar"));
    Edit5 = MakeEdit(TabSheet7, "Edit5", 177, 17, 37, 21, QStringLiteral("32"), kLightGreen);
    Label19 = MakeLabel(TabSheet7, "Label19", 219, 21, 18, 13, QStringLiteral("Mb "));
    RxLabel10 = MakeStatus(TabSheet7, "Panel7", 9, 53, "RxLabel10", &Panel7);
    Err = MakeShadowLabel(TabSheet7, "Err", 101, 54, 56, 18, QStringLiteral("0 errors"),
                          DesignFont("Arial", 16), kRed);
    Err->setVisible(false);
    FillCh =
        MakeShadowLabel(TabSheet7, "FillCh", 8, 91, 159, 24, QStringLiteral("0 Mb/s"), big, kGreen);
    ReadCh = MakeShadowLabel(TabSheet7, "ReadCh", 8, 118, 159, 24, QStringLiteral("0 Mb/s"), big,
                             kGreen);

    // ---- Result ----
    Label2 =
        MakeLabel(TabSheet3, "Label2", 8, 1, 117, 13, QStringLiteral("Description (22 symbols):"));
    Edit7 = MakeEdit(TabSheet3, "Edit7", 4, 15, 261, 24, QString(), kLightGreen);
    LimitTypedLength(Edit7, 22);
    Edit7->setFont(DesignFont("Arial", 13));
    Button2 = MakeButton(TabSheet3, "Button2", 321, 15, 80, 24, QStringLiteral("Save"));
    Button4 = MakeButton(TabSheet3, "Button4", 406, 15, 80, 24, QStringLiteral("Clear"));
    List = Make<TMemo>(TabSheet3, "List", 0, 44, 584, 272);
    List->setFont(DesignFont("Courier", 11));
    List->setLineWrapMode(QPlainTextEdit::NoWrap);
    List->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    List->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SetBackground(List, kLightGreen);

    // ---- HardForecast ----
    QWidget* p = TabSheet6;
    const QFont rowFont = DesignFont("Arial", 12, true);
    Label10 = MakeLabel(p, "Label10", 211, 10, 82, 30, U("Год \nприобретения"));
    Label10->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label10->setFont(rowFont);
    Label8 = MakeLabel(p, "Label8", 46, 49, 65, 15, U("Процессор"));
    Label8->setFont(rowFont);
    Label9 = MakeLabel(p, "Label9", 120, 32, 75, 13, U("частота в МГц:"));
    Edit14 = MakeEdit(p, "Edit14", 120, 46, 75, 21, QStringLiteral("1466"), kLightGreen);
    RxSpinEdit1 = MakeYear(p, "RxSpinEdit1", 219, 46, kLightGreen);
    Label11 = MakeLabel(p, "Label11", 49, 90, 62, 15, U("Винчестер"));
    Label11->setFont(rowFont);
    Label12 = MakeLabel(p, "Label12", 120, 74, 74, 13, U("ёмкость  в ГБ:"));
    Edit15 = MakeEdit(p, "Edit15", 120, 88, 75, 21, QString(), kLightGreen);
    RxSpinEdit2 = MakeYear(p, "RxSpinEdit2", 219, 88, kLightGreen);
    Label13 = MakeLabel(p, "Label13", 84, 136, 27, 15, U("ОЗУ "));
    Label13->setFont(rowFont);
    Label14 = MakeLabel(p, "Label14", 120, 118, 67, 13, U("объём  в МБ:"));
    Edit16 = MakeEdit(p, "Edit16", 120, 132, 75, 21, QStringLiteral("256"), kLightGreen);
    RxSpinEdit3 = MakeYear(p, "RxSpinEdit3", 219, 132, kLightGreen);
    Label18 = MakeLabel(p, "Label18", 306, 52, 104, 30, U("Рассчитываемый\nГод "));
    Label18->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label18->setFont(rowFont);
    RxSpinEdit4 = MakeYear(p, "RxSpinEdit4", 325, 88, kLightBlue);
    // The design's arrow is a symbol-font character; U+2794 is the same
    // heavy right-pointing arrow in Unicode.
    RxSpeedButton3 = MakeButton(p, "RxSpeedButton3", 325, 117, 65, 27, U("\u2794"));
    RxSpeedButton3->setFont(DesignFont("Wingdings", 21, true));
    struct Result {
        QLabel** label;
        const char* labelName;
        QLineEdit** edit;
        const char* editName;
        int top;
        const char* caption;
    };
    for (const Result& r : {Result{&Label15, "Label15", &Edit17, "Edit17", 32, "частота в МГц:"},
                            Result{&Label16, "Label16", &Edit18, "Edit18", 74, "ёмкость  в ГБ:"},
                            Result{&Label17, "Label17", &Edit19, "Edit19", 118, "объём  в МБ:"}}) {
        *r.label = MakeAutoLabel(p, r.labelName, 429, r.top, U(r.caption));
        *r.edit = MakeEdit(p, r.editName, 429, r.top + 14, 75, 21, QString(), kLightBlue);
        (*r.edit)->setReadOnly(true);
    }
    Memo3 = Make<TMemo>(p, "Memo3", 0, 167, 584, 149);
    Memo3->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SetBackground(Memo3, buttonFace);

    for (QLabel* label : findChildren<QLabel*>()) FitCaption(label);
}

}  // namespace vt
