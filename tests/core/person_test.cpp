#include "benchmarks/person.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vt {
namespace {

TEST(Person, CreateKeepsFifteenCharactersAndZeroFillsTheRest)
{
    for (std::size_t length : {0u, 12u, 15u, 20u, 255u}) {
        const std::string name(length, 'N');
        std::unique_ptr<TPerson> p(TPerson::Create(name));
        EXPECT_EQ(p->GetName().Str(), name.substr(0, 15)) << length;
        for (std::size_t i = p->Name.Length; i < 15; ++i) EXPECT_EQ(p->Name.Chars[i], 0) << length;
        EXPECT_EQ(p->GetAddress().Str(), "") << length;
    }
}

TEST(Person, SetAddressKeepsThirtyFiveCharactersOfTheFirstAddress)
{
    std::unique_ptr<TPerson> p(TPerson::Create("x"));
    p->SetAddress(std::string(40, 'a'));
    p->SetAddress("second");
    EXPECT_EQ(p->GetAddress().Str(), std::string(35, 'a'));

    // An empty address is no address: the next one is taken.
    std::unique_ptr<TPerson> q(TPerson::Create("y"));
    q->SetAddress("");
    q->SetAddress("later");
    EXPECT_EQ(q->GetAddress().Str(), "later");
}

TEST(Person, AnAttachedObjectOtherThanARecordIsAnError)
{
    TObject other;
    EXPECT_THROW(TPerson::From(&other), EInvalidCast);
    EXPECT_THROW(TPerson::From(nullptr), EInvalidCast);
}

}  // namespace
}  // namespace vt
