#include "results/records_log.h"

#include <filesystem>

#include "platform/errors.h"
#include "platform/log_file.h"
#include "results/run_record_json.h"

namespace vt {

std::string RecordsLogPathBeside(const std::string& resultsLogPath)
{
    // The system's own separators: "/" here, "\\" and "/" on Windows.
    return std::filesystem::path(resultsLogPath).replace_filename(kRecordsLogName).string();
}

namespace records_log {

namespace {

void AppendTo(const std::string& path, const TRunRecord& record)
{
    TAppendFile file(path);
    std::string bytes;
    // A last line cut short is ended first: the record after it stays whole.
    if (const std::optional<std::int64_t> size = file.RegularFileSize(); size && *size > 0) {
        const std::optional<char> last = file.ByteAt(path, *size - 1);
        if (last && *last != '\n') bytes = "\n";
    }
    bytes += RecordToJson(record);
    bytes += '\n';
    // One write: concurrent writers' records never interleave.
    file.Write(bytes);
    file.Close();
}

}  // namespace

void Append(const std::string& path, const TRunRecord& record)
{
    try {
        AppendTo(path, record);
    } catch (const EInOutError& e) {
        // A write or close names no file of its own.
        if (!e.Path().empty()) throw;
        throw EInOutError(e.ErrorCode(), path);
    }
}

}  // namespace records_log

}  // namespace vt
