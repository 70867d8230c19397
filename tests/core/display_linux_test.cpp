// The toolkit platforms asked for, from the variables that name a display.
#include "platform/display.h"

#include <gtest/gtest.h>

namespace vt {
namespace {

TDisplayVariables Variables(const char* platform = "", const char* x = "", const char* wayland = "",
                            const char* session = "", const char* desktop = "")
{
    TDisplayVariables v;
    v.Platform = platform;
    v.X11 = x;
    v.Wayland = wayland;
    v.SessionType = session;
    v.Desktop = desktop;
    return v;
}

TEST(ChoosePlatforms, TheDisplayNamedThenOffscreen)
{
    using TOffscreen = TPlatformChoice::TOffscreen;
    const struct {
        const char* name;
        TDisplayVariables v;
        const char* platforms;
        TOffscreen offscreen;
        const char* named;
    } rows[] = {
        {"nothing", Variables(), "offscreen", TOffscreen::NoDisplay,
         "DISPLAY and WAYLAND_DISPLAY are not set"},
        {"X", Variables("", ":0"), "xcb;offscreen", TOffscreen::Fallback, "DISPLAY=:0"},
        {"Wayland only", Variables("", "", "wayland-0"), "wayland;offscreen", TOffscreen::Fallback,
         "WAYLAND_DISPLAY=wayland-0"},
        {"both in an X session", Variables("", ":0", "wayland-0", "x11"), "xcb;offscreen",
         TOffscreen::Fallback, "WAYLAND_DISPLAY=wayland-0, DISPLAY=:0"},
        {"both in a Wayland session", Variables("", ":0", "wayland-0", "Wayland", "KDE:"),
         "wayland;xcb;offscreen", TOffscreen::Fallback, "WAYLAND_DISPLAY=wayland-0, DISPLAY=:0"},
        {"both in a GNOME Wayland session",
         Variables("", ":0", "wayland-0", "wayland", "ubuntu:GNOME"), "xcb;offscreen",
         TOffscreen::Fallback, "WAYLAND_DISPLAY=wayland-0, DISPLAY=:0"},
        {"the user's platform", Variables("xcb", ":1"), "xcb;offscreen", TOffscreen::Fallback,
         "QT_QPA_PLATFORM=xcb, DISPLAY=:1"},
        {"the user's offscreen", Variables("offscreen"), "offscreen", TOffscreen::Asked,
         "QT_QPA_PLATFORM=offscreen"},
        {"offscreen in the user's list", Variables("vnc;offscreen:size=8x8"),
         "vnc;offscreen:size=8x8", TOffscreen::Asked, "QT_QPA_PLATFORM=vnc;offscreen:size=8x8"},
        {"a name that only starts like it", Variables("offscreen2"), "offscreen2;offscreen",
         TOffscreen::Fallback, "QT_QPA_PLATFORM=offscreen2"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TPlatformChoice choice = ChoosePlatforms(row.v);
        EXPECT_EQ(choice.Platforms, row.platforms);
        EXPECT_EQ(choice.Offscreen, row.offscreen);
        EXPECT_EQ(DisplayNamed(row.v), row.named);
    }
}

}  // namespace
}  // namespace vt
