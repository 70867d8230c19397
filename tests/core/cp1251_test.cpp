#include "platform/cp1251.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <optional>
#include <string>

namespace vt {
namespace {

// The C library's own Windows-1251 table, as an independent reference.
std::optional<std::string> IconvToUtf8(const std::string& ansi)
{
    iconv_t cd = iconv_open("UTF-8", "WINDOWS-1251");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string in = ansi;
    std::string out(in.size() * 4 + 4, '\0');
    char* src = in.data();
    std::size_t srcLeft = in.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

TEST(Cp1251, EveryByteMatchesTheCLibraryAndRoundTrips)
{
    ASSERT_TRUE(IconvToUtf8("a").has_value()) << "iconv lacks WINDOWS-1251";
    std::string all;
    for (int b = 1; b < 256; ++b) {
        if (b == 0x98) continue;  // unassigned in the code page
        const std::string ansi(1, static_cast<char>(b));
        const auto reference = IconvToUtf8(ansi);
        ASSERT_TRUE(reference.has_value()) << "byte " << b;
        EXPECT_EQ(Cp1251ToUtf8(ansi), *reference) << "byte " << b;
        EXPECT_EQ(Utf8ToCp1251(*reference), ansi) << "byte " << b;
        all += ansi;
    }
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(Cp1251, UnassignedByteShowsReplacementCharacter)
{
    EXPECT_FALSE(IconvToUtf8("\x98").has_value());
    EXPECT_EQ(Cp1251ToUtf8("\x98"), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf8ToCp1251("\xEF\xBF\xBD"), "?");
}

TEST(Cp1251, CyrillicLetters)
{
    EXPECT_EQ(Ansi("АЯая"), "\xC0\xDF\xE0\xFF");
    EXPECT_EQ(Ansi("Ёё№"), "\xA8\xB8\xB9");
    EXPECT_EQ(Ansi("ОЗУ "), "\xCE\xC7\xD3 ");
    EXPECT_EQ(Cp1251ToUtf8("\xCF\xF0\xEE"), "Про");
}

struct LossyRow {
    const char* name;
    const char* utf8;
    const char* ansi;
};

class Utf8ToCp1251Lossy : public ::testing::TestWithParam<LossyRow> {};

TEST_P(Utf8ToCp1251Lossy, ReplacesWithQuestionMark)
{
    EXPECT_EQ(Utf8ToCp1251(GetParam().utf8), GetParam().ansi);
}

INSTANTIATE_TEST_SUITE_P(Rows, Utf8ToCp1251Lossy,
                         ::testing::Values(LossyRow{"LatinUmlaut", "a\xC3\xA4z", "a?z"},  // ä
                                           LossyRow{"Cjk", "\xE4\xB8\xAD", "?"},
                                           LossyRow{"FourByte", "\xF0\x9F\x98\x80!", "?!"},
                                           LossyRow{"LoneLeadByte", "\xFF", "?"},
                                           LossyRow{"LoneContinuation",
                                                    "a\x80"
                                                    "b",
                                                    "a?b"},
                                           LossyRow{"TruncatedAtEnd", "ab\xD0", "ab?"},
                                           LossyRow{"TruncatedBeforeAscii", "\xD0(", "?("},
                                           LossyRow{"Overlong", "\xC0\xAF", "??"},
                                           LossyRow{"Surrogate", "\xED\xA0\x80", "???"},
                                           LossyRow{"BeyondUnicode", "\xF4\x90\x80\x80", "????"},
                                           LossyRow{"QuestionMarkKept", "?", "?"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Cp1251, NulBytesPassThrough)
{
    const std::string ansi("a\0b", 3);
    EXPECT_EQ(Cp1251ToUtf8(ansi), ansi);
    EXPECT_EQ(Utf8ToCp1251(ansi), ansi);
}

}  // namespace
}  // namespace vt
