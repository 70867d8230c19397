// The result line: the eight scores of the score table's line rows with the
// machine description and disk label, in the fixed-width layout of the
// results log's header,
//   "%22s/%8S|%6.2f|%6.3f|%6.2f|%4.0f/%4.0f|%6.1f|%6.2f|%5.1f"
// (each score's width, decimals and separator are its row's).
// The description is cut to its first 22 characters, the disk label to its
// first 8; a number that needs more than its width takes it and shifts the
// rest. With every field in its width the line is 82 characters long.
#pragma once

#include <string>
#include <string_view>

#include "platform/format_settings.h"
#include "results/scores.h"

namespace vt {

inline constexpr std::size_t kDescriptionWidth = 22;
inline constexpr std::size_t kDiskLabelWidth = 8;

// Texts are Windows-1251 bytes; so is the line.
std::string FormatResultLine(const TScores& scores, std::string_view description,
                             std::string_view diskLabel, const FormatSettings& fs);

}  // namespace vt
