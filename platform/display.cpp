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
