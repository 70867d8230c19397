// Which display the window toolkit is asked to open, so that a display that
// is named but not there (an ssh session's forwarding that dropped) is found
// out and reported, instead of ending the process inside the toolkit.
//
// The toolkit takes a list of platforms and opens the first that works. The
// program asks for the display the environment names, as the toolkit would
// choose it, and then for "offscreen", which needs no display: a window that
// opened offscreen had no display, and painting that needs none goes on
// there.
#pragma once

#include <string>

namespace vt {

// The variables that name a display; empty when not set.
struct TDisplayVariables {
    std::string Platform;     // QT_QPA_PLATFORM: the user's own list of toolkit platforms
    std::string X11;          // DISPLAY
    std::string Wayland;      // WAYLAND_DISPLAY
    std::string SessionType;  // XDG_SESSION_TYPE
    std::string Desktop;      // XDG_CURRENT_DESKTOP and XDG_SESSION_DESKTOP

    // As this process has them.
    static TDisplayVariables FromProcess();
};

inline constexpr const char* kOffscreenPlatform = "offscreen";

struct TPlatformChoice {
    // The toolkit's platform list, entries separated by ';'. Empty where the
    // desktop is always there (Windows): the toolkit's own choice stands.
    std::string Platforms;
    // What it means when the toolkit opens "offscreen".
    enum class TOffscreen {
        Asked,      // the user's own list has it
        NoDisplay,  // nothing names a display: the list is "offscreen" alone
        Fallback,   // the display named before it could not be opened
    } Offscreen = TOffscreen::Asked;
};

// The user's own list when QT_QPA_PLATFORM is set, else the display the
// variables name (Wayland where the session is a Wayland one, except on
// GNOME, or where only WAYLAND_DISPLAY is set; X otherwise), either followed
// by "offscreen" unless the list has it already.
TPlatformChoice ChoosePlatforms(const TDisplayVariables& v);

// What the variables name, for a message: "DISPLAY=:99", "WAYLAND_DISPLAY=
// wayland-1, DISPLAY=:0", "QT_QPA_PLATFORM=xcb", or "DISPLAY and
// WAYLAND_DISPLAY are not set".
std::string DisplayNamed(const TDisplayVariables& v);

}  // namespace vt
