// The parts of the display choice that every operating system shares.
#include "platform/display.h"

#include "platform/user_folders.h"

namespace vt {

namespace {

std::string Value(const char* name)
{
    return EnvironmentValue(name).value_or("");
}

}  // namespace

TDisplayVariables TDisplayVariables::FromProcess()
{
    return {Value("QT_QPA_PLATFORM"), Value("DISPLAY"), Value("WAYLAND_DISPLAY"),
            Value("XDG_SESSION_TYPE"),
            Value("XDG_CURRENT_DESKTOP") + ":" + Value("XDG_SESSION_DESKTOP")};
}

bool PlatformListHas(const std::string& platforms, const std::string& name)
{
    return WithoutPlatform(platforms, name) != platforms;
}

std::string WithoutPlatform(const std::string& platforms, const std::string& name)
{
    std::string kept;
    std::size_t start = 0;
    bool dropped = false;
    while (start <= platforms.size()) {
        std::size_t end = platforms.find(';', start);
        if (end == std::string::npos) end = platforms.size();
        const std::string entry = platforms.substr(start, end - start);
        if (entry.substr(0, entry.find(':')) == name)
            dropped = true;
        else
            kept += (kept.empty() ? "" : ";") + entry;
        start = end + 1;
    }
    return dropped ? kept : platforms;
}

std::string DisplayNamed(const TDisplayVariables& v)
{
    std::string named;
    const auto add = [&named](const char* name, const std::string& value) {
        if (value.empty()) return;
        named += (named.empty() ? "" : ", ") + std::string(name) + "=" + value;
    };
    add("QT_QPA_PLATFORM", v.Platform);
    add("WAYLAND_DISPLAY", v.Wayland);
    add("DISPLAY", v.X11);
    return named.empty() ? "DISPLAY and WAYLAND_DISPLAY are not set" : named;
}

}  // namespace vt
