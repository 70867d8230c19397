// Every score's facts in one table, one row per score: its name, its title
// and unit for people, its direction, the test that measures it and, for the
// scores of the result line, the field's width, decimals, the character
// before it and its caption in the results log's header. The result line and
// its parser, the log header, batch's CSV and JSON, the records, Compare's
// table, charts, CSV and text and docs/scores.md all read this table; adding a
// score is one row here plus the code that measures it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "results/scores.h"

namespace vt {

struct TScoreRow {
    const char* Name;     // CSV header, JSON member and record key
    const char* Title;    // Compare's column and chart title
    const char* Unit;     // "s", "MiB/s", "M/s"
    bool HigherIsBetter;  // speeds; times are better lower
    int Test;             // 1 to 7
    double TScores::*Value;
    int Decimals;  // shown decimals; the line's, for a score of the line
    // The result line's field: its width and the separator before it. The
    // line's scores are the table's first kLineScoreCount rows, in its order.
    int LineWidth;  // 0: not in the result line
    char LineSeparator;
    // The caption of the field's column in the results log's header: three
    // lines split at "\n", UTF-8, each padded on the right to the column's
    // width. A field after a "/" shares the column before it and has none.
    const char* LogCaption = nullptr;
};

inline constexpr std::size_t kLineScoreCount = 8;

// The tests, numbered 1 to 7; 6 and 7 are batch's and Compare's measuring,
// not the main window's.
inline constexpr int kTestCount = 7;

// clang-format off
inline constexpr std::array<TScoreRow, 20> kScoreTable = {{
    {"ListCreateTime",    "List creation",     "s",     false, 1, &TScores::ListCreateTime,    2, 6, '|', "\nсозд.\nсписк."},
    {"SortTime",          "Sorting",           "s",     false, 1, &TScores::SortTime,          3, 6, '|', "\nсорти-\nровка"},
    {"SortOutputTime",    "Sort + output",     "s",     false, 1, &TScores::SortOutputTime,    2, 6, '|', "созд.+\nсорт.+\nвывод"},
    {"FillMemSpeed",      "Memory fill",       "MiB/s", true,  5, &TScores::FillMemSpeed,      0, 4, '|', " FillMem\n   &\n ReadMem"},
    {"ReadMemSpeed",      "Memory read",       "MiB/s", true,  5, &TScores::ReadMemSpeed,      0, 4, '/'},
    {"CyclesPerSec",      "Cycles",            "M/s",   true,  2, &TScores::CyclesPerSec,      1, 6, '|', "  млн\nциклов\n в сек"},
    {"DrawTime",          "Ellipses",          "s",     false, 3, &TScores::DrawTime,          2, 6, '|', "\n10000\nэллипс"},
    {"HddSpeed",          "HDD speed",         "MiB/s", true,  4, &TScores::HddSpeed,          1, 5, '|', " HDD\nSpeed\nмб/с"},
    {"CyclesPerSecAll",   "Cycles, all CPUs",  "M/s",   true,  6, &TScores::CyclesPerSecAll,   1, 0, 0},
    {"CyclesPerSecCores", "Cycles, all cores", "M/s",   true,  6, &TScores::CyclesPerSecCores, 1, 0, 0},
    {"FillMemSpeedAll",   "Memory fill, all cores", "MiB/s", true, 6, &TScores::FillMemSpeedAll, 0, 0, 0},
    {"ReadMemSpeedAll",   "Memory read, all cores", "MiB/s", true, 6, &TScores::ReadMemSpeedAll, 0, 0, 0},
    {"DiskSeq1MQ8Read",   "Disk seq 1M Q8 read",    "MiB/s", true, 7, &TScores::DiskSeq1MQ8Read,   1, 0, 0},
    {"DiskSeq1MQ1Read",   "Disk seq 1M Q1 read",    "MiB/s", true, 7, &TScores::DiskSeq1MQ1Read,   1, 0, 0},
    {"DiskRnd4KQ32Read",  "Disk rnd 4K Q32 read",   "MiB/s", true, 7, &TScores::DiskRnd4KQ32Read,  1, 0, 0},
    {"DiskRnd4KQ1Read",   "Disk rnd 4K Q1 read",    "MiB/s", true, 7, &TScores::DiskRnd4KQ1Read,   1, 0, 0},
    {"DiskSeq1MQ8Write",  "Disk seq 1M Q8 write",   "MiB/s", true, 7, &TScores::DiskSeq1MQ8Write,  1, 0, 0},
    {"DiskSeq1MQ1Write",  "Disk seq 1M Q1 write",   "MiB/s", true, 7, &TScores::DiskSeq1MQ1Write,  1, 0, 0},
    {"DiskRnd4KQ32Write", "Disk rnd 4K Q32 write",  "MiB/s", true, 7, &TScores::DiskRnd4KQ32Write, 1, 0, 0},
    {"DiskRnd4KQ1Write",  "Disk rnd 4K Q1 write",   "MiB/s", true, 7, &TScores::DiskRnd4KQ1Write,  1, 0, 0},
}};
// clang-format on

inline constexpr std::size_t kTableScoreCount = kScoreTable.size();

// The result line's rows, in its order.
inline constexpr std::span<const TScoreRow, kLineScoreCount> kLineScores{kScoreTable.data(),
                                                                         kLineScoreCount};

// The row named `name`, by its index in the table.
constexpr std::optional<std::size_t> FindScore(std::string_view name)
{
    for (std::size_t i = 0; i < kScoreTable.size(); ++i)
        if (name == kScoreTable[i].Name) return i;
    return std::nullopt;
}

// What the line's parser and header rely on.
constexpr bool LineRowsAreWellFormed()
{
    for (std::size_t i = 0; i < kScoreTable.size(); ++i) {
        const TScoreRow& row = kScoreTable[i];
        const bool inLine = i < kLineScoreCount;
        if ((row.LineWidth > 0) != inLine) return false;
        if (inLine && row.LineSeparator != '|' && row.LineSeparator != '/') return false;
        if (inLine && (row.LineSeparator == '|') != (row.LogCaption != nullptr)) return false;
        if (row.Decimals < 0 || row.Decimals > 3 || row.Test < 1 || row.Test > kTestCount)
            return false;
    }
    return kScoreTable[0].LineSeparator == '|';
}
static_assert(LineRowsAreWellFormed());

}  // namespace vt
