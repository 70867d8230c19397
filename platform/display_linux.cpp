#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/display.h"
#include "platform/stop_request.h"

namespace vt {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Where an X display's server listens.
struct TXAddress {
    std::vector<std::string> LocalSockets;  // "\0..." for an abstract socket
    std::string Host;                       // for TCP; empty when local
    int Port = 0;
};

// The places `display` names, as the X library reads it; nothing for a name
// it does not take (a DECnet "host::0", no display number).
std::optional<TXAddress> XAddress(const std::string& display)
{
    std::string rest = display;
    std::string protocol;
    if (const std::size_t slash = rest.find('/'); slash != std::string::npos && slash > 0) {
        protocol = rest.substr(0, slash);
        rest = rest.substr(slash + 1);
    }
    TXAddress address;
    if (!rest.empty() && rest.front() == '/') {
        // A socket's own path, with ":<screen>" perhaps after it.
        const std::size_t colon = rest.rfind(':');
        address.LocalSockets.push_back(colon == std::string::npos ? rest : rest.substr(0, colon));
        return address;
    }
    const std::size_t colon = rest.rfind(':');
    if (colon == std::string::npos) return std::nullopt;
    std::string host = rest.substr(0, colon);
    if (!host.empty() && host.back() == ':') return std::nullopt;
    const std::string number = rest.substr(colon + 1, rest.find('.', colon) - colon - 1);
    if (number.empty() || number.size() > 5 ||
        !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int n = std::stoi(number);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    const bool local = protocol == "unix" || ((host.empty() || host == "unix") && protocol.empty());
    if (local) {
        const std::string path = "/tmp/.X11-unix/X" + std::to_string(n);
        address.LocalSockets = {std::string(1, '\0') + path, path};
        return address;
    }
    address.Host = host.empty() ? "localhost" : host;
    address.Port = 6000 + n;
    return address;
}

// A socket closed on every path.
class TSocket {
public:
    TSocket() = default;
    explicit TSocket(int fd) : fd_(fd) {}
    ~TSocket()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    TSocket(TSocket&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    TSocket& operator=(TSocket&& other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int Get() const { return fd_; }

private:
    int fd_ = -1;
};

using TClock = std::chrono::steady_clock;

// Waits until `fd` is ready for `events` or the deadline passes, looking at
// the stop request every tenth of a second.
TDisplayAnswer WaitFor(int fd, short events, TClock::time_point deadline)
{
    for (;;) {
        if (StopRequested()) return TDisplayAnswer::Stopped;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
        if (left <= 0) return TDisplayAnswer::Silent;
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 100)));
        if (n > 0) return TDisplayAnswer::Answers;
        if (n < 0 && errno != EINTR) return TDisplayAnswer::Unknown;
    }
}

// A connected socket to `to`, the connection finished within the deadline;
// `waited` says why there is none (Unknown: refused or failed).
TSocket Connect(int family, const sockaddr* to, socklen_t size, TClock::time_point deadline,
                TDisplayAnswer& waited)
{
    waited = TDisplayAnswer::Unknown;
    TSocket s(::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (s.Get() < 0) return {};
    if (::connect(s.Get(), to, size) != 0) {
        if (errno != EINPROGRESS) return {};
        waited = WaitFor(s.Get(), POLLOUT, deadline);
        if (waited != TDisplayAnswer::Answers) return {};
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(s.Get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            waited = TDisplayAnswer::Unknown;
            return {};
        }
    }
    waited = TDisplayAnswer::Answers;
    return s;
}

// The first place of `address` that takes the connection.
TSocket ConnectX(const TXAddress& address, TClock::time_point deadline, TDisplayAnswer& waited)
{
    waited = TDisplayAnswer::Unknown;
    for (const std::string& path : address.LocalSockets) {
        sockaddr_un to{};
        to.sun_family = AF_UNIX;
        if (path.size() >= sizeof to.sun_path) continue;
        std::memcpy(to.sun_path, path.data(), path.size());
        const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() +
                                                 (path.front() == '\0' ? 0 : 1));
        TSocket s = Connect(AF_UNIX, reinterpret_cast<const sockaddr*>(&to), size, deadline, waited);
        if (s.Get() >= 0 || waited != TDisplayAnswer::Unknown) return s;
    }
    if (address.Host.empty()) return {};
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(address.Host.c_str(), std::to_string(address.Port).c_str(), &hints,
                      &found) != 0)
        return {};
    TSocket s;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        s = Connect(a->ai_family, a->ai_addr, a->ai_addrlen, deadline, waited);
        if (s.Get() >= 0 || waited != TDisplayAnswer::Unknown) break;
    }
    ::freeaddrinfo(found);
    return s;
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
    if (PlatformListHas(platforms, offscreen)) return {platforms, TOffscreen::Asked};
    return {platforms + ";" + offscreen, TOffscreen::Fallback};
}

TDisplayAnswer ProbeXDisplay(const std::string& display, int waitMs)
{
    const std::optional<TXAddress> address = XAddress(display);
    if (!address) return TDisplayAnswer::Unknown;
    const TClock::time_point deadline = TClock::now() + std::chrono::milliseconds(waitMs);
    TDisplayAnswer waited = TDisplayAnswer::Unknown;
    const TSocket s = ConnectX(*address, deadline, waited);
    if (s.Get() < 0) return waited;
    // The opening of a connection: little-endian, protocol 11.0, no
    // credentials. Any server replies at once, if only to refuse it.
    const unsigned char opening[12] = {'l', 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    if (::send(s.Get(), opening, sizeof opening, MSG_NOSIGNAL) != sizeof opening)
        return TDisplayAnswer::Answers;  // closed at once: the toolkit hears the same
    return WaitFor(s.Get(), POLLIN, deadline);
}

}  // namespace vt
