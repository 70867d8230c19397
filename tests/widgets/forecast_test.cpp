#include <QLineEdit>
#include <QPushButton>

#include "app/widgets/spin_edit.h"
#include "window_fixture.h"

// Readable failure output for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace vt::testing {
namespace {

class ForecastTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        Open();
        ASSERT_TRUE(dialogs.boxes.empty());
    }
    // Values and purchase years of the three rows, the target year.
    void Inputs(QString v1, QString v2, QString v3, int p1, int p2, int p3, int target)
    {
        auto& w = *window;
        w.Edit14->setText(v1);
        w.Edit15->setText(v2);
        w.Edit16->setText(v3);
        w.RxSpinEdit1->setValue(p1);
        w.RxSpinEdit2->setValue(p2);
        w.RxSpinEdit3->setValue(p3);
        w.RxSpinEdit4->setValue(target);
    }
    void Press() { window->RxSpeedButton3->click(); }
    QStringList Results() const
    {
        return {window->Edit17->text(), window->Edit18->text(), window->Edit19->text()};
    }
};

// Purchase year 2003 for every row; the row under test gets the value, the
// others neutral ones.
TEST_F(ForecastTest, EachRowWithItsFactorAndFormat)
{
    const struct {
        int row;  // 0 processor, 1 disk, 2 memory
        const char* value;
        int target;
        const char* text;
    } rows[] = {
        {0, "1466", 2004, "  2155.0"}, {0, "1466", 2003, "  1466.0"}, {0, "1466", 2002, " 997.279"},
        {0, "1466", 2001, " 678.421"}, {0, "1466", 2013, " 69072.8"}, {1, "40", 2004, "    79.8"},
        {1, "40", 2006, "   317.6"},   {1, "40", 2002, "  20.050"},   {2, "256", 2004, "   423.8"},
        {2, "256", 2002, " 154.636"},  {2, "512", 2006, "  2323.0"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.value) + " to " + std::to_string(r.target));
        QString v[3] = {QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1")};
        v[r.row] = QString::fromLatin1(r.value);
        Inputs(v[0], v[1], v[2], 2003, 2003, 2003, r.target);
        Press();
        EXPECT_EQ(Results()[r.row], QString::fromLatin1(r.text));
    }
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(ForecastTest, EachRowUsesItsOwnPurchaseYear)
{
    Inputs("1466", "40", "256", 2005, 2003, 2004, 2004);
    Press();
    EXPECT_EQ(Results(), (QStringList{" 997.279", "    79.8", "   256.0"}));
}

TEST_F(ForecastTest, CommaLocaleReadsAndWritesCommas)
{
    window->Env().Format = FormatSettings{',', ' '};
    Inputs("1466", "40,5", "256", 2003, 2003, 2003, 2002);
    Press();
    EXPECT_EQ(Results(), (QStringList{" 997,279", "  20,301", " 154,636"}));
}

TEST_F(ForecastTest, BadValueNamesTheFirstBadFieldAndKeepsEveryResult)
{
    const struct {
        const char* name;
        const char* v1;
        const char* v2;
        const char* v3;
        const char* message;
    } rows[] = {
        {"empty disk", "1466", "", "256", "'' is not a valid floating point value."},
        {"letters", "abc", "40", "256", "'abc' is not a valid floating point value."},
        {"first of two", "1466", "4 0", "x", "'4 0' is not a valid floating point value."},
        {"grouped", "1466", "40", "1,024", "'1,024' is not a valid floating point value."},
        {"only memory bad", "1466", "40", "2.5.1", "'2.5.1' is not a valid floating point value."},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        dialogs.boxes.clear();
        Inputs("1", "2", "3", 2003, 2003, 2003, 2004);
        Press();
        const QStringList before = Results();
        Inputs(r.v1, r.v2, r.v3, 2003, 2003, 2003, 2010);
        Press();
        ASSERT_EQ(dialogs.Errors().size(), 1u);
        EXPECT_EQ(dialogs.Errors()[0], QString::fromLatin1(r.message));
        EXPECT_EQ(Results(), before);
    }
}

TEST_F(ForecastTest, YearFieldThatIsNotAWholeNumberReadsAsFirstYear)
{
    auto& w = *window;
    Inputs("1466", "40", "256", 1982, 2003, 2003, 2003);
    Press();
    const QStringList from1982 = Results();
    ASSERT_NE(from1982[0], QStringLiteral("  1466.0"));

    Inputs("1466", "40", "256", 2003, 2003, 2003, 2003);
    w.RxSpinEdit1->findChild<QLineEdit*>()->setText(QString());
    Press();
    EXPECT_EQ(Results(), from1982);
    EXPECT_TRUE(dialogs.boxes.empty());
}

}  // namespace
}  // namespace vt::testing
