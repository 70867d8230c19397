// CSV as every table of the program writes it: UTF-8, fields separated by
// commas, a record per line ending in a line feed. A text field is quoted
// only where it must be (a comma, quote or line break in it), and a text a
// spreadsheet would take for a formula is kept as text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vt {

// A text field: quoted where it holds a comma, quote or line break (a quote
// doubled inside), and kept as text where a spreadsheet would read it as a
// formula (a leading "=", "+", "-", "@", tab or CR gets a "'" before it).
// Numbers are not texts: they are written as they are, a minus included.
std::string CsvField(std::string_view text);

// `fields`, each already a field (CsvField or a number), joined by commas and
// ended with a line feed, appended to `out`.
void AppendCsvRecord(std::string& out, const std::vector<std::string>& fields);

}  // namespace vt
