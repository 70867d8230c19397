// The loading of the results log over arbitrary bytes (NUL bytes, lone
// carriage returns, very long lines): the split never crashes, no line holds
// a line feed, a line ends in CR only where a lone CR stood before its line
// feed, lines written with CR LF split back to themselves, and the memo the
// window shows them in takes any of them.
#include <QApplication>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/widgets/memo.h"
#include "results/results_log.h"

namespace {
vt::TMemo* memo = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    memo = new vt::TMemo;
    memo->SetLines({"fonts are loaded once, here"});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = vt::results_log::SplitLines(bytes);

    // Every byte but the line breaks is kept, in order.
    std::string kept;
    for (const std::string& line : lines) {
        if (line.find('\n') != std::string::npos) std::abort();
        kept += line;
    }
    std::string expected;
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] == '\n') continue;
        if (bytes[i] == '\r' && i + 1 < size && bytes[i + 1] == '\n') continue;
        expected += bytes[i];
    }
    if (kept != expected) std::abort();

    // Lines as Append writes them come back unchanged.
    std::string written;
    for (const std::string& line : lines) written += line + "\r\n";
    std::vector<std::string> back = vt::results_log::SplitLines(written);
    // A line that ended in a lone CR merges with the CR LF written after it;
    // only lines free of a trailing CR are compared.
    bool plain = true;
    for (const std::string& line : lines) plain = plain && (line.empty() || line.back() != '\r');
    if (plain && back != lines) std::abort();

    if (size <= 4096) {  // the widget is slow; short inputs cover its paths
        memo->SetLines(lines);
        if (memo->LineCount() < static_cast<int>(lines.size() > 0)) std::abort();
        (void)memo->Lines();
    }
    return 0;
}
