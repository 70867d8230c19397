// The file read-speed figure against dd reading the same file with direct
// I/O in 64 KiB blocks. Both read one 1 GiB file written for the purpose
// beside this executable (on the disk, not in a memory file system), in
// alternating order, several rounds; the medians should agree within 10%.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "benchmarks/file_read.h"
#include "platform/direct_file.h"
#include "platform/errors.h"
#include "platform/tick_count.h"

namespace {

constexpr std::int64_t kFileSize = 1LL << 30;
constexpr int kRounds = 7;

// The test file, removed again however the bench ends.
struct TBenchFile {
    std::string path;
    ~TBenchFile()
    {
        if (!path.empty()) ::unlink(path.c_str());
    }
};

bool WriteFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    std::vector<unsigned char> block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<unsigned char>(i * 131 + 7);
    bool ok = true;
    for (std::int64_t done = 0; ok && done < kFileSize; done += block.size())
        ok = ::write(fd, block.data(), block.size()) == static_cast<ssize_t>(block.size());
    ok = ok && ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// The test's own figure: MiB/s of one uncached read of the whole file.
double OurSpeed(const std::string& path)
{
    vt::TDirectFile file;
    if (const int error = file.Open(path)) throw vt::EInOutError(error);
    const std::int64_t size = file.Size();
    vt::TAlignedBuffer buffer;
    if (!buffer.Allocate(vt::kFileReadRequest, file.BufferAlignment())) throw vt::EOutOfMemory();
    const auto run = vt::ReadWholeFile(file, size, buffer.Data(), vt::SystemTicks(), path);
    return static_cast<double>(vt::HddSpeedFigure(size, run.ElapsedMs));
}

// dd's rate in MiB/s, from its byte count and seconds.
double DdSpeed(const std::string& path)
{
    const std::string command =
        "LC_ALL=C dd if='" + path + "' of=/dev/null bs=64k iflag=direct 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) throw vt::Exception("cannot start dd");
    std::string output;
    char chunk[512];
    while (std::fgets(chunk, sizeof chunk, pipe)) output += chunk;
    ::pclose(pipe);
    // "<bytes> bytes (...) copied, <seconds> s, <rate>"
    const auto bytesEnd = output.find(" bytes");
    const auto lineStart = output.rfind('\n', bytesEnd);
    const auto copied = output.find("copied, ", bytesEnd);
    if (bytesEnd == std::string::npos || copied == std::string::npos)
        throw vt::Exception("unexpected dd output: " + output);
    const double bytes =
        std::stod(output.substr(lineStart == std::string::npos ? 0 : lineStart + 1, bytesEnd));
    const double seconds = std::stod(output.substr(copied + 8));
    return bytes / 1048576.0 / seconds;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main()
{
    TBenchFile file;
    file.path = (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "hdd_bench.data");
    std::cout << "writing " << kFileSize << " bytes to " << file.path << std::endl;
    if (!WriteFile(file.path)) {
        std::cerr << "cannot write the test file\n";
        return 2;
    }
    try {
        std::vector<double> ours, dd;
        for (int round = 0; round < kRounds; ++round) {
            // Alternate who goes first, so that neither always reads a
            // device warmed by the other.
            if (round % 2 == 0) {
                ours.push_back(OurSpeed(file.path));
                dd.push_back(DdSpeed(file.path));
            } else {
                dd.push_back(DdSpeed(file.path));
                ours.push_back(OurSpeed(file.path));
            }
            std::printf("round %d: HddSpeed %8.1f MiB/s   dd %8.1f MiB/s\n", round + 1, ours.back(),
                        dd.back());
        }
        const double a = Median(ours);
        const double b = Median(dd);
        const double deviation = (a - b) / b * 100;
        std::printf("median:  HddSpeed %8.1f MiB/s   dd %8.1f MiB/s   difference %+.1f%%  %s\n", a,
                    b, deviation, std::abs(deviation) <= 10 ? "within 10%" : "OUTSIDE 10%");
        return std::abs(deviation) <= 10 ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 2;
    }
}
