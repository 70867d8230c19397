// Writes docs/scores.md from the score table, or with --check FILE says
// whether FILE is what it would write (the test that keeps the page true).
//   score_table_doc > docs/scores.md
//   score_table_doc --check docs/scores.md
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "results/score_table.h"

namespace {

using vt::kScoreTable;
using vt::TScoreRow;

std::string LineField(const TScoreRow& row, std::size_t index)
{
    if (row.LineWidth == 0) return "–";
    // A "|" in a table cell is written "\|".
    const std::string separator = row.LineSeparator == '|' ? "\\|" : "/";
    return std::to_string(index + 1) + ": `" + separator + "%" + std::to_string(row.LineWidth) +
           "." + std::to_string(row.Decimals) + "f`";
}

std::string Page()
{
    std::string page =
        "# Scores\n"
        "\n"
        "Every score a run can record, one row per score, in the order of the program's score\n"
        "table (`results/score_table.h`), from which this page is written by\n"
        "`score_table_doc > docs/scores.md` (a test checks that it is up to date).\n"
        "\n"
        "The name is the score's CSV column and JSON member in `vesktest batch`'s output and in\n"
        "the records, where a score is written with every digit, and is empty in CSV and null\n"
        "in JSON when its test did not run. The first eight are also the result line's fields\n"
        "(field number and format; the line writes 0 for a test that did not run). Compare\n"
        "shows a score under its title and compares machines only on the scores both have.\n"
        "\n"
        "| Name | Title | Unit | Better | Test | Decimals shown | Result line |\n"
        "|---|---|---|---|---|---|---|\n";
    for (std::size_t i = 0; i < kScoreTable.size(); ++i) {
        const TScoreRow& row = kScoreTable[i];
        page += "| `" + std::string(row.Name) + "` | " + row.Title + " | " + row.Unit + " | " +
                (row.HigherIsBetter ? "higher" : "lower") + " | " + std::to_string(row.Test) +
                " | " + std::to_string(row.Decimals) + " | " + LineField(row, i) + " |\n";
    }
    return page;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string page = Page();
    if (argc == 3 && std::strcmp(argv[1], "--check") == 0) {
        std::ifstream file(argv[2], std::ios::binary);
        const std::string found{std::istreambuf_iterator<char>(file), {}};
        if (file && found == page) return 0;
        std::fprintf(stderr,
                     "%s is not what the score table gives; write it anew with "
                     "score_table_doc > docs/scores.md\n",
                     argv[2]);
        return 1;
    }
    if (argc != 1) {
        std::fprintf(stderr, "usage: score_table_doc [--check FILE]\n");
        return 2;
    }
    return std::fwrite(page.data(), 1, page.size(), stdout) == page.size() &&
                   std::fflush(stdout) == 0
               ? 0
               : 1;
}
