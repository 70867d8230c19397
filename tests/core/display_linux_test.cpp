// The toolkit platforms asked for, from the variables that name a display.
#include "platform/display.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

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

// A listener of the test's own on 127.0.0.1, on port 6000 + its display
// number: silent (it takes connections and never answers), or answering each
// connection's first bytes with a byte, or gone (the port refuses).
class TXListener {
public:
    enum class TKind { Silent, Answering, Refusing };

    explicit TXListener(TKind kind) : kind_(kind)
    {
        for (number_ = 100 + ::getpid() % 700; number_ < 1000; ++number_) {
            fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in at{};
            at.sin_family = AF_INET;
            at.sin_port = htons(static_cast<std::uint16_t>(6000 + number_));
            at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::bind(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0) break;
            ::close(fd_);
            fd_ = -1;
        }
        if (fd_ < 0) return;
        if (kind == TKind::Refusing) {
            ::close(fd_);  // bound a moment ago, so free, and nothing listens there
            fd_ = -1;
            return;
        }
        ::listen(fd_, 4);
        if (kind == TKind::Answering)
            answerer_ = std::thread([this] {
                const int c = ::accept(fd_, nullptr, nullptr);
                if (c < 0) return;
                char opening[12];
                if (::recv(c, opening, sizeof opening, MSG_WAITALL) == sizeof opening)
                    ::send(c, "\0", 1, MSG_NOSIGNAL);  // "Failed": no credentials
                ::close(c);
            });
    }
    ~TXListener()
    {
        if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
        if (answerer_.joinable()) answerer_.join();
        if (fd_ >= 0) ::close(fd_);
    }
    std::string Display() const { return "127.0.0.1:" + std::to_string(number_); }
    bool Ready() const { return kind_ == TKind::Refusing || fd_ >= 0; }

private:
    TKind kind_;
    int number_ = 0;
    int fd_ = -1;
    std::thread answerer_;
};

// The X display is asked for a connection with a bound on the wait: only a
// display that takes the connection and says nothing is Silent; a refusal
// and a name the X library would not take are left to the toolkit.
TEST(ProbeXDisplay, OnlyAListenerThatNeverAnswersIsSilent)
{
    using K = TXListener::TKind;
    const struct {
        const char* name;
        K kind;
        const char* display;  // empty: the listener's
        TDisplayAnswer answer;
    } rows[] = {
        {"silent listener", K::Silent, "", TDisplayAnswer::Silent},
        {"answering listener", K::Answering, "", TDisplayAnswer::Answers},
        {"nothing listens", K::Refusing, "", TDisplayAnswer::Unknown},
        {"DECnet name", K::Refusing, "host::0", TDisplayAnswer::Unknown},
        {"no display number", K::Refusing, "127.0.0.1", TDisplayAnswer::Unknown},
        {"socket path that is not there", K::Refusing, "/nonexistent/vesktest-x:0",
         TDisplayAnswer::Unknown},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TXListener listener(row.kind);
        ASSERT_TRUE(listener.Ready());
        const std::string display = *row.display ? row.display : listener.Display();
        EXPECT_EQ(ProbeXDisplay(display, 300), row.answer);
    }
}

}  // namespace
}  // namespace vt
