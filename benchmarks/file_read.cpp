#include "benchmarks/file_read.h"

#include <cerrno>

#include "platform/errors.h"
#include "platform/number_format.h"

namespace vt {

namespace {
Exception ReadError(const std::string& name, int code)
{
    return Exception("Failed to read " + name + "\nError:" + std::to_string(code));
}
}  // namespace

TFileReadRun ReadWholeFile(TDirectFile& file, std::int64_t size, void* buffer,
                           const TickSource& ticks, const std::string& name)
{
    TFileReadRun run;
    std::int64_t remaining = size;
    int error = 0;
    const std::uint32_t t0 = ticks();
    while (remaining > 0) {
        const std::int64_t got = file.Read(buffer, kFileReadRequest);
        ++run.Requests;
        if (got <= 0) {
            error = got < 0 ? errno : ENODATA;
            break;
        }
        remaining -= got;
    }
    const std::uint32_t t1 = ticks();
    if (error != 0) throw ReadError(name, error);
    run.Bytes = size - remaining;
    run.ElapsedMs = TickDiff(t1, t0);
    return run;
}

long double HddSpeedFigure(std::int64_t bytes, std::int32_t elapsedMs)
{
    const long double mib = static_cast<long double>(bytes) / 1024 / 1024;
    return Divide(mib, elapsedMs) * 1000000 * 0.001L;
}

std::int64_t SpeedThousandths(std::int64_t bytes, std::int32_t elapsedMs)
{
    const long double mib = static_cast<long double>(bytes) / 1048576;
    return RoundHalfEven(Divide(mib, elapsedMs) * 1000000);
}

std::int64_t CdSpeedTenths(std::int64_t bytes, std::int32_t elapsedMs)
{
    const long double kib = static_cast<long double>(bytes) / 1024;
    return RoundHalfEven(Divide(kib * (1.0L / 150), elapsedMs) * 10000);
}

TFileReadFigures MeasureFileRead(const std::string& name, const TickSource& ticks)
{
    TDirectFile file;
    if (const int error = file.Open(name))
        throw Exception("Failed to open " + name + "\nError:" + std::to_string(error));
    const std::int64_t S = file.Size();
    TAlignedBuffer buffer;
    if (!buffer.Allocate(kFileReadRequest, file.BufferAlignment()))
        throw EOutOfMemory("Cant allocate memory");
    const TFileReadRun run = ReadWholeFile(file, S, buffer.Data(), ticks, name);
    TFileReadFigures figures;
    figures.Bytes = S;
    figures.ElapsedMs = run.ElapsedMs;
    figures.HddSpeed = HddSpeedFigure(S, run.ElapsedMs);
    figures.Thousandths = SpeedThousandths(S, run.ElapsedMs);
    figures.CdTenths = CdSpeedTenths(S, run.ElapsedMs);
    return figures;
}

}  // namespace vt
