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

// Whether the ';'-separated list has the platform `name`; an entry may carry
// arguments after a colon ("xcb:display=...").
bool PlatformListHas(const std::string& platforms, const std::string& name);

// The list without the entries of the platform `name`.
std::string WithoutPlatform(const std::string& platforms, const std::string& name);

// What an X display did when asked to open a connection.
enum class TDisplayAnswer {
    Answers,  // the server replied (whatever it said) or closed the connection
    Silent,   // it took the connection and said nothing in time
    Unknown,  // nothing took the connection, or the name is not one of ours:
              // the toolkit finds that out by itself, and at once
    Stopped,  // a stop request came while waiting
};

// How long an X display is given to answer: a forwarding over a slow link
// answers within a second.
inline constexpr int kDisplayAnswerMs = 5000;

// Connects to the X display `display` (as DISPLAY names it: ":0", "unix:0",
// "host:0.0", "tcp/host:0", "/path/to/socket") as the X library does, a local
// display through its socket and a remote one through TCP port 6000 + its
// number, sends the opening of a connection without credentials and waits
// up to `waitMs` for the first byte of the reply, looking at the stop
// request meanwhile. The connection is closed before it returns. The
// toolkit's own connection waits without a bound, so a display that takes
// the connection and never answers (the listener of a dead ssh forwarding)
// is found out here first.
TDisplayAnswer ProbeXDisplay(const std::string& display, int waitMs);

// What the variables name, for a message: "DISPLAY=:99", "WAYLAND_DISPLAY=
// wayland-1, DISPLAY=:0", "QT_QPA_PLATFORM=xcb", or "DISPLAY and
// WAYLAND_DISPLAY are not set".
std::string DisplayNamed(const TDisplayVariables& v);

}  // namespace vt
