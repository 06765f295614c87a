// Reaching the X and Wayland display servers that the environment names, without any toolkit: a display that is
// named but gone (an ssh session without X forwarding, a scheduled job that inherited DISPLAY), or that takes the
// connection and never answers (a stopped server, a suspended remote session), is found here, within a bound.
#include "Display.h"

#include "Error.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <netdb.h>
#include <poll.h>
#include <string_view>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFirstX11Port = 6000;
constexpr const char* kHungUp = "closed the connection without answering";

// The X connection setup, least significant byte first, protocol 11.0, without authorization. Any reply (success,
// failure, or a demand to authenticate) shows that a server is there.
constexpr std::string_view kXSetup{"l\0\13\0\0\0\0\0\0\0\0\0", 12};

// Wayland: wl_display (object 1) sync (request 0, 12 bytes) with a new wl_callback (object 2), whose done event (0)
// is the compositor's first message once it has handled the request. Words are in the machine's byte order.
constexpr std::uint32_t kCallback = 2;
constexpr std::uint32_t kDone = 0;
constexpr std::uint32_t kWaylandSync[] = {1, 12 << 16, kCallback};

using Answered = bool (*)(std::string_view reply);

bool XAnswered(std::string_view reply) {
    return !reply.empty();
}

bool WaylandAnswered(std::string_view reply) {
    std::uint32_t header[2] = {};
    std::memcpy(header, reply.data(), std::min(reply.size(), sizeof header));
    return reply.size() >= sizeof header && header[0] == kCallback && (header[1] & 0xffff) == kDone;
}

std::string Late(const char* what) {
    return std::string(what) + " within " + std::to_string(kDisplayAnswerTime.count()) + " s";
}

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// False when the deadline passes before the socket is ready.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    pollfd wait{fd, events, 0};
    int ready = 0;
    while ((ready = ::poll(&wait, 1, MillisecondsLeft(deadline))) < 0 && errno == EINTR) {
    }
    return ready > 0;
}

// A socket connected to the address before the deadline, or -1 with why not in reason.
int Connect(const sockaddr* address, socklen_t length, Clock::time_point deadline, std::string& reason) {
    const int fd = ::socket(address->sa_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    int error = fd < 0 || ::connect(fd, address, length) != 0 ? errno : 0;
    if (error == EINPROGRESS && WaitFor(fd, POLLOUT, deadline)) {
        socklen_t size = sizeof error;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
    }
    if (error == 0) {
        return fd;
    }
    reason = error == EINPROGRESS ? Late("did not answer") : SystemReason(error);
    if (fd >= 0) {
        ::close(fd);
    }
    return -1;
}

// A local socket; an abstract one when the name starts with a NUL.
int ConnectLocal(const std::string& path, Clock::time_point deadline, std::string& reason) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        reason = SystemReason(ENAMETOOLONG);
        return -1;
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + (path[0] != '\0'));
    return Connect(reinterpret_cast<const sockaddr*>(&address), length, deadline, reason);
}

// A host name looked up in the background (getaddrinfo_a), so that a name server that does not answer costs no more
// than the deadline.
struct LookUp {
    std::string host;
    std::string service;
    addrinfo hints;
    gaicb request;
};
// A look-up that outlived its deadline goes on writing into what it was given, which therefore stays.
LookUp* g_outlived = nullptr;

int ConnectTcp(const std::string& host, int port, Clock::time_point deadline, std::string& reason) {
    auto lookUp = std::make_unique<LookUp>(LookUp{host, std::to_string(port), {}, {}});
    lookUp->hints.ai_socktype = SOCK_STREAM;
    lookUp->request.ar_name = lookUp->host.c_str();
    lookUp->request.ar_service = lookUp->service.c_str();
    lookUp->request.ar_request = &lookUp->hints;
    gaicb* requests[] = {&lookUp->request};
    int status = ::getaddrinfo_a(GAI_NOWAIT, requests, 1, nullptr);
    if (status == 0) {
        while ((status = ::gai_error(requests[0])) == EAI_INPROGRESS && MillisecondsLeft(deadline) > 0) {
            const int left = MillisecondsLeft(deadline);
            const timespec wait{left / 1000, left % 1000 * 1000000L};
            ::gai_suspend(requests, 1, &wait);
        }
    }
    if (status == EAI_INPROGRESS) {
        if (::gai_cancel(requests[0]) == EAI_NOTCANCELED) {
            g_outlived = lookUp.release();
        }
        reason = Late("its host name did not resolve");
        return -1;
    }
    if (status != 0) {
        reason = ::gai_strerror(status);
        return -1;
    }
    int fd = -1;
    for (const addrinfo* a = lookUp->request.ar_result; a != nullptr && fd < 0; a = a->ai_next) {
        fd = Connect(a->ai_addr, a->ai_addrlen, deadline, reason);
    }
    ::freeaddrinfo(lookUp->request.ar_result);
    return fd;
}

// Sends the request on the connected socket and reads until the reply is answered, then hangs up. Empty when the
// server answered before the deadline; otherwise why not.
std::string Talk(int fd, std::string_view request, Answered answered, Clock::time_point deadline) {
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) < 0) {
        return errno == EPIPE || errno == ECONNRESET ? kHungUp : SystemReason(errno);
    }
    std::string reply;
    while (!answered(reply)) {
        if (!WaitFor(fd, POLLIN, deadline)) {
            return Late("did not answer");
        }
        char buffer[256];
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got == 0 || (got < 0 && errno == ECONNRESET)) {
            return kHungUp;
        }
        if (got < 0 && errno != EINTR) {
            return SystemReason(errno);
        }
        reply.append(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
    }
    return {};
}

std::string Exchange(int fd, std::string_view request, Answered answered, Clock::time_point deadline) {
    const std::string reason = Talk(fd, request, answered, deadline);
    ::close(fd);
    return reason;
}

// DISPLAY is [protocol/][host]:number[.screen]: no host (or "unix") is the local server's socket, in the abstract
// namespace or in /tmp/.X11-unix, a host is reached over TCP on port 6000 + number, and a path before the colon is
// the socket itself.
std::string ReachX(const std::string& display, Clock::time_point deadline) {
    const std::size_t colon = display.rfind(':');
    std::string host = display.substr(0, colon == std::string::npos ? 0 : colon);
    std::string protocol;
    if (const std::size_t slash = host.find('/'); slash != std::string::npos && slash != 0) {
        protocol = host.substr(0, slash);
        host.erase(0, slash + 1);
    }
    const char* end = display.data() + display.size();
    unsigned displayNumber = 0;
    const auto [after, error] = std::from_chars(display.data() + colon + 1, end, displayNumber);
    if (colon == std::string::npos || error != std::errc() || displayNumber > 0xffff ||
        (after != end && *after != '.')) {
        return SystemReason(EINVAL);
    }
    std::string reason;
    int fd = -1;
    if (!host.empty() && host[0] == '/') {
        fd = ConnectLocal(host, deadline, reason);
    } else {
        const bool local = protocol != "tcp" && (host.empty() || host == "unix");
        if (local) {
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(displayNumber);
            fd = ConnectLocal(std::string(1, '\0') + socket, deadline, reason);
            if (fd < 0) {
                fd = ConnectLocal(socket, deadline, reason);
            }
        }
        if (fd < 0 && !(local && (protocol == "unix" || host == "unix"))) {
            fd = ConnectTcp(host.empty() ? "localhost" : host, kFirstX11Port + static_cast<int>(displayNumber),
                            deadline, reason);
        }
    }
    return fd < 0 ? reason : Exchange(fd, kXSetup, XAnswered, deadline);
}

// WAYLAND_DISPLAY names a socket in XDG_RUNTIME_DIR, or is the socket's absolute path.
std::string ReachWayland(const std::string& display, Clock::time_point deadline) {
    std::string path = display;
    if (display[0] != '/') {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (runtime == nullptr || *runtime == '\0') {
            return SystemReason(ENOENT);
        }
        path = std::string(runtime) + "/" + display;
    }
    std::string reason;
    const int fd = ConnectLocal(path, deadline, reason);
    const std::string_view sync(reinterpret_cast<const char*>(kWaylandSync), sizeof kWaylandSync);
    return fd < 0 ? reason : Exchange(fd, sync, WaylandAnswered, deadline);
}

const char* Named(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

} // namespace

bool HasDisplay() {
    return Named("DISPLAY") != nullptr || Named("WAYLAND_DISPLAY") != nullptr;
}

DisplayReach ReachDisplay() {
    const Clock::time_point deadline = Clock::now() + kDisplayAnswerTime;
    const char* x = Named("DISPLAY");
    const char* wayland = Named("WAYLAND_DISPLAY");
    // Side by side, so that one display that keeps the check waiting leaves the other its full time.
    std::future<std::string> xReason =
        std::async(std::launch::async, [x, deadline] { return x != nullptr ? ReachX(x, deadline) : ""; });
    const std::string waylandReason = wayland != nullptr ? ReachWayland(wayland, deadline) : "";

    DisplayReach reach;
    const auto note = [&reach](const char* name, const char* value, const char* platform, const std::string& reason) {
        if (reason.empty()) {
            // When both answer, the toolkit chooses.
            reach.platform = reach.reachable ? "" : platform;
            reach.reachable = true;
        } else {
            reach.unreachable +=
                (reach.unreachable.empty() ? "" : ", ") + std::string(name) + "=" + value + " (" + reason + ")";
        }
    };
    if (x != nullptr) {
        note("DISPLAY", x, "xcb", xReason.get());
    }
    if (wayland != nullptr) {
        note("WAYLAND_DISPLAY", wayland, "wayland", waylandReason);
    }
    return reach;
}
