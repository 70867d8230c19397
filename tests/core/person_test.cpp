#include "benchmarks/person.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "benchmarks/list_test.h"
#include "platform/cp1251.h"

namespace vt {
namespace {

struct CutCase {
    const char* label;
    std::size_t length;
    std::size_t kept;
};

class NameCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(NameCut, KeepsTheFirstFifteenCharactersAndZeroFillsTheRest)
{
    std::string name;
    for (std::size_t i = 0; i < GetParam().length; ++i) name += static_cast<char>('A' + i % 26);
    std::unique_ptr<TPerson> p(TPerson::Create(name));
    EXPECT_EQ(p->GetName().View(), name.substr(0, GetParam().kept));
    for (std::size_t i = GetParam().kept; i < 15; ++i) EXPECT_EQ(p->Name.Chars[i], 0) << i;
    EXPECT_EQ(p->Address.Length, 0);
    for (char c : p->Address.Chars) EXPECT_EQ(c, 0);
}

INSTANTIATE_TEST_SUITE_P(Lengths, NameCut,
                         ::testing::Values(CutCase{"Empty", 0, 0}, CutCase{"Short", 12, 12},
                                           CutCase{"Exact", 15, 15}, CutCase{"Twenty", 20, 15},
                                           CutCase{"Longest", 255, 15}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(Person, SetAddressKeepsTheFirstThirtyFiveCharactersOfTheFirstAddress)
{
    std::unique_ptr<TPerson> p(TPerson::Create("x"));
    const std::string forty(40, 'a');
    p->SetAddress(forty);
    EXPECT_EQ(p->GetAddress().Str(), std::string(35, 'a'));
    p->SetAddress("second");
    EXPECT_EQ(p->GetAddress().Str(), std::string(35, 'a'));

    // An empty address set is no address: the next one is taken.
    std::unique_ptr<TPerson> q(TPerson::Create("y"));
    q->SetAddress("");
    q->SetAddress("later");
    EXPECT_EQ(q->GetAddress().Str(), "later");
}

TEST(Person, ShowTextOfDrawFive)
{
    TPersonPool pool;
    const TPerson* p = CreatePerson(pool, 5);
    EXPECT_EQ(p->ShowText(), Ansi("Фамилия: Имя:   10\r Адрес: адрес: 15"));
    EXPECT_EQ(EntryText(5), "Text 5");
}

TEST(Person, AnAttachedObjectOtherThanARecordIsAnError)
{
    struct TOther : TObject {};
    TOther other;
    EXPECT_THROW(TPerson::From(&other), EInvalidCast);
    EXPECT_THROW(TPerson::From(nullptr), EInvalidCast);
    std::unique_ptr<TPerson> p(TPerson::Create("n"));
    EXPECT_EQ(&TPerson::From(p.get()), p.get());
}

TEST(Person, LiveCountFollowsCreationAndRelease)
{
    const auto before = TPerson::LiveCount();
    {
        TPersonPool pool;
        for (std::uint32_t n = 0; n < 100; ++n) CreatePerson(pool, n);
        EXPECT_EQ(TPerson::LiveCount(), before + 100);
    }
    EXPECT_EQ(TPerson::LiveCount(), before);
}

}  // namespace
}  // namespace vt
