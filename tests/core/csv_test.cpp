// Every CSV of the program writes its texts by one rule: quoted only where
// needed, and never read by a spreadsheet as a formula.
#include <gtest/gtest.h>

#include "results/csv.h"

namespace vt {
namespace {

TEST(Csv, FieldsStayTextInASpreadsheet)
{
    const struct {
        std::string text, field;
    } rows[] = {
        {"Office PC", "Office PC"},
        {"", ""},
        {"=SUM(A1:A9)", "'=SUM(A1:A9)"},
        {"+7 PC", "'+7 PC"},
        {"-lab", "'-lab"},
        {"@home", "'@home"},
        {"\tx", "'\tx"},
        {"\rx", "\"'\rx\""},
        {"a=b", "a=b"},  // only a leading sign makes a formula
        {"a, b", "\"a, b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"=1,2", "\"'=1,2\""},
        {"\xD0\x96", "\xD0\x96"},  // UTF-8 passes as it is
    };
    for (const auto& row : rows) EXPECT_EQ(CsvField(row.text), row.field) << row.text;
}

TEST(Csv, RecordsJoinFieldsAndEndTheLine)
{
    const struct {
        const char* name;
        std::vector<std::string> fields;
        std::string record;
    } rows[] = {
        {"none", {}, "\n"},
        {"one empty", {""}, "\n"},
        {"empty between", {"a", "", "b"}, "a,,b\n"},
        {"quoted kept", {CsvField("x,y"), "1.5"}, "\"x,y\",1.5\n"},
    };
    for (const auto& row : rows) {
        std::string out = "head\n";
        AppendCsvRecord(out, row.fields);
        EXPECT_EQ(out, "head\n" + row.record) << row.name;
    }
}

}  // namespace
}  // namespace vt
