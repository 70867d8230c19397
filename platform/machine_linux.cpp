#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <map>

#include "platform/log_file.h"
#include "platform/machine.h"

namespace vt {

namespace {

// The value after "KEY=", its quotes undone.
std::string Unquoted(std::string_view value)
{
    std::string text;
    char quote = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (quote == 0 && (c == '"' || c == '\'')) {
            quote = c;
        } else if (c == quote) {
            quote = 0;
        } else if (quote == '"' && c == '\\' && i + 1 < value.size()) {
            text += value[++i];
        } else if (quote == 0 && (c == ' ' || c == '\t')) {
            break;  // an unquoted value ends at a blank
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace

std::string OsReleaseName(std::string_view text)
{
    std::map<std::string, std::string, std::less<>> values;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        const std::size_t equals = line.find('=');
        if (line.empty() || line.front() == '#' || equals == std::string_view::npos) continue;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        values[std::string(line.substr(0, equals))] = Unquoted(line.substr(equals + 1));
    }
    const auto value = [&values](std::string_view key) {
        const auto it = values.find(key);
        return it == values.end() ? std::string() : it->second;
    };
    if (!value("PRETTY_NAME").empty()) return value("PRETTY_NAME");
    if (value("VERSION").empty()) return value("NAME");
    return value("NAME") + " " + value("VERSION");
}

std::string HostName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

std::string OperatingSystemName()
{
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        try {
            if (const auto text = ReadFileBytes(path)) {
                const std::string name = OsReleaseName(*text);
                if (!name.empty()) return name;
            }
        } catch (const std::exception&) {
            // An unreadable file: try the next one.
        }
    }
    utsname u{};
    return uname(&u) == 0 ? u.sysname : "";
}

std::string KernelName()
{
    utsname u{};
    if (uname(&u) != 0) return {};
    return std::string(u.sysname) + " " + u.release;
}

int LogicalProcessors()
{
    const long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<int>(count) : 1;
}

std::optional<double> LoadAverage()
{
    double load = 0;
    if (getloadavg(&load, 1) != 1) return std::nullopt;
    return load;
}

}  // namespace vt
