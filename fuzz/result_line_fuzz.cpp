// The result line over arbitrary description and disk-label bytes and
// arbitrary scores: never a crash; with every score within its width the line
// is 82 characters with its column separators where the header has them, and
// it holds no line break that would split the log's line.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "results/result_line.h"
#include "results/results_log.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vt::TScores scores;
    double* fields[] = {&scores.ListCreateTime, &scores.SortTime,     &scores.SortOutputTime,
                        &scores.FillMemSpeed,   &scores.ReadMemSpeed, &scores.CyclesPerSec,
                        &scores.DrawTime,       &scores.HddSpeed};
    constexpr std::size_t kScoreBytes = sizeof fields / sizeof fields[0] * sizeof(double);
    const bool rawScores = size > 0 && (data[0] & 1);
    std::size_t at = 1;
    if (rawScores && size >= 1 + kScoreBytes) {
        for (double* f : fields) {
            std::memcpy(f, data + at, sizeof(double));
            at += sizeof(double);
        }
    }
    if (at > size) at = size;
    const std::string_view rest(reinterpret_cast<const char*>(data) + at, size - at);
    const std::size_t cut = rest.empty() ? 0 : static_cast<unsigned char>(rest[0]) % (rest.size());
    const std::string_view description = rest.substr(rest.empty() ? 0 : 1, cut);
    const std::string_view label = rest.substr(std::min(rest.size(), cut + 1));
    const vt::FormatSettings fs =
        (size > 0 && (data[0] & 2)) ? vt::FormatSettings{',', '.'} : vt::FormatSettings{'.', ','};

    const std::string line = vt::FormatResultLine(scores, description, label, fs);
    bool fits = true;
    for (double* f : fields) fits = fits && std::isfinite(*f) && std::fabs(*f) < 9.5;
    const bool textClean = description.find_first_of("\r\n|") == std::string_view::npos &&
                           label.find_first_of("\r\n|") == std::string_view::npos;
    if (fits && textClean) {
        if (line.size() != 82) std::abort();
        const std::string& columns = vt::ResultsLogHeader()[4];
        for (std::size_t i = 0; i < 82; ++i)
            if ((line[i] == '|') != (columns[i] == '|')) std::abort();
    }
    return 0;
}
