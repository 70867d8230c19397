#include <algorithm>
#include <cctype>

#include "platform/display.h"

namespace vt {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Whether the ';'-separated list has the platform `name`; an entry may carry
// arguments after a colon ("xcb:display=...").
bool ListHas(const std::string& platforms, const std::string& name)
{
    std::size_t start = 0;
    while (start <= platforms.size()) {
        std::size_t end = platforms.find(';', start);
        if (end == std::string::npos) end = platforms.size();
        const std::string entry = platforms.substr(start, end - start);
        if (entry.substr(0, entry.find(':')) == name) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

TPlatformChoice ChoosePlatforms(const TDisplayVariables& v)
{
    using TOffscreen = TPlatformChoice::TOffscreen;
    const std::string offscreen = kOffscreenPlatform;
    std::string platforms = v.Platform;
    if (platforms.empty()) {
        // As the toolkit chooses by itself: Wayland in a Wayland session,
        // except under GNOME, whose X server for older programs it prefers.
        const bool waylandSession = Lower(v.SessionType) == "wayland" &&
                                    Lower(v.Desktop).find("gnome") == std::string::npos;
        if (!v.Wayland.empty() && (v.X11.empty() || waylandSession))
            platforms = v.X11.empty() ? "wayland" : "wayland;xcb";
        else if (!v.X11.empty())
            platforms = "xcb";
        else
            return {offscreen, TOffscreen::NoDisplay};
    }
    if (ListHas(platforms, offscreen)) return {platforms, TOffscreen::Asked};
    return {platforms + ";" + offscreen, TOffscreen::Fallback};
}

}  // namespace vt
