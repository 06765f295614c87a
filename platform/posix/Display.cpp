// Reaching the display servers the environment names: a display that is gone (an ssh session without X forwarding, a
// job that inherited DISPLAY) or that never answers (a stopped server, a suspended remote session) is found here.
#include "Display.h"

#include "Error.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <netdb.h>
#include <string_view>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* kHungUp = "closed the connection without answering";

// The X connection setup, least significant byte first, protocol 11.0, without authorization. Any reply (success,
// failure, or a demand to authenticate) shows that a server is there.
constexpr std::string_view kXSetup{"l\0\13\0\0\0\0\0\0\0\0\0", 12};

// Wayland: wl_display (object 1) sync (request 0, 12 bytes) with a new wl_callback (object 2), whose done event (0,
// 12 bytes) is the compositor's first message once it has handled the request. Words are in the machine's byte order.
constexpr std::uint32_t kWaylandSync[] = {1, 12 << 16, 2};
constexpr std::uint32_t kWaylandDone[] = {2, 12 << 16};

// A connected socket, or -1 with why not in reason.
int Connect(const sockaddr* address, socklen_t length, std::string& reason) {
    const int fd = ::socket(address->sa_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, address, length) == 0) {
        return fd;
    }
    reason = SystemReason(errno);
    if (fd >= 0) {
        ::close(fd);
    }
    return -1;
}

// A local socket; an abstract one when the name starts with a NUL.
int ConnectLocal(const std::string& path, std::string& reason) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        reason = SystemReason(ENAMETOOLONG);
        return -1;
    }
    path.copy(address.sun_path, path.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + (path[0] != '\0'));
    return Connect(reinterpret_cast<const sockaddr*>(&address), length, reason);
}

// resolving is set while the host name is looked up, so that a caller tired of waiting can tell which step it was.
int ConnectTcp(const std::string& host, int port, std::atomic<bool>& resolving, std::string& reason) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    resolving = true;
    const int status = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    resolving = false;
    if (status != 0) {
        reason = ::gai_strerror(status);
        return -1;
    }
    int fd = -1;
    for (const addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
        fd = Connect(a->ai_addr, a->ai_addrlen, reason);
    }
    ::freeaddrinfo(found);
    return fd;
}

// Sends the request and reads until the reply starts with answer (any reply will do for an empty one), then hangs
// up. Empty when the server answered; otherwise why not.
std::string Exchange(int fd, std::string_view request, std::string_view answer) {
    std::string reply;
    ssize_t got = ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    while (got > 0 && (reply.empty() || !reply.starts_with(answer))) {
        char buffer[256];
        while ((got = ::recv(fd, buffer, sizeof buffer, 0)) < 0 && errno == EINTR) {
        }
        reply.append(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
    }
    const int error = errno;
    ::close(fd);
    if (got > 0) {
        return {};
    }
    return got == 0 || error == EPIPE || error == ECONNRESET ? kHungUp : SystemReason(error);
}

// DISPLAY is [protocol/][host]:number[.screen]: no host (or "unix") is the local socket, abstract or in /tmp/.X11-unix;
// a host (an IPv6 address in brackets) is reached over TCP on port 6000 + number; a path before the colon is the socket
// itself.
std::string ReachX(const std::string& display, std::atomic<bool>& resolving) {
    const std::size_t colon = display.rfind(':');
    std::string host = display.substr(0, colon == std::string::npos ? 0 : colon);
    std::string protocol;
    if (const std::size_t slash = host.find('/'); slash != std::string::npos && slash != 0) {
        protocol = host.substr(0, slash);
        host.erase(0, slash + 1);
    }
    const char* end = display.data() + display.size();
    unsigned number = 0;
    const auto [after, error] = std::from_chars(display.data() + colon + 1, end, number);
    if (colon == std::string::npos || error != std::errc() || number > 0xffff || (after != end && *after != '.')) {
        return SystemReason(EINVAL);
    }
    const bool path = host.starts_with('/');
    const bool local = !path && protocol != "tcp" && (host.empty() || host == "unix");
    const std::string socket = path ? host : "/tmp/.X11-unix/X" + std::to_string(number);
    std::string reason;
    int fd = -1;
    if (local) {
        fd = ConnectLocal('\0' + socket, reason);
    }
    if (fd < 0 && (path || local)) {
        fd = ConnectLocal(socket, reason);
    }
    // An IPv6 address stands in brackets: [::1]:0.
    if (host.size() > 2 && host.starts_with('[') && host.ends_with(']')) {
        host = host.substr(1, host.size() - 2);
    }
    if (fd < 0 && !path && !(local && (protocol == "unix" || host == "unix"))) {
        fd = ConnectTcp(host.empty() ? "localhost" : host, 6000 + static_cast<int>(number), resolving, reason);
    }
    return fd < 0 ? reason : Exchange(fd, kXSetup, {});
}

// WAYLAND_DISPLAY names a socket in XDG_RUNTIME_DIR, or is the socket's absolute path.
std::string ReachWayland(const std::string& display, std::atomic<bool>& /*resolving*/) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!display.starts_with('/') && (runtime == nullptr || *runtime == '\0')) {
        return SystemReason(ENOENT);
    }
    std::string reason;
    const int fd = ConnectLocal(display.starts_with('/') ? display : std::string(runtime) + "/" + display, reason);
    const std::string_view sync(reinterpret_cast<const char*>(kWaylandSync), sizeof kWaylandSync);
    const std::string_view done(reinterpret_cast<const char*>(kWaylandDone), sizeof kWaylandDone);
    return fd < 0 ? reason : Exchange(fd, sync, done);
}

// One display's check, shared by the thread that runs it and the caller that waits for it.
struct Check {
    std::promise<std::string> done;
    std::future<std::string> reason = done.get_future();
    std::atomic<bool> resolving{false};
};

// Runs the check in a thread that nobody joins: one whose server never answers stays blocked until the process ends.
std::shared_ptr<Check> Start(std::string (*reach)(const std::string&, std::atomic<bool>&), std::string display) {
    auto check = std::make_shared<Check>();
    std::thread([check, reach, display] { check->done.set_value(reach(display, check->resolving)); }).detach();
    return check;
}

const char* Named(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

} // namespace

bool HasDisplay() {
    return Named("DISPLAY") != nullptr || Named("WAYLAND_DISPLAY") != nullptr;
}

DisplayReach ReachDisplay() {
    const auto deadline = std::chrono::steady_clock::now() + kDisplayAnswerTime;
    const char* x = Named("DISPLAY");
    const char* wayland = Named("WAYLAND_DISPLAY");
    // Side by side, so that one display that keeps its check waiting leaves the other its full time.
    const auto xCheck = x != nullptr ? Start(ReachX, x) : nullptr;
    const auto waylandCheck = wayland != nullptr ? Start(ReachWayland, wayland) : nullptr;

    DisplayReach reach;
    const auto note = [&reach, deadline](const char* name, const char* value, const char* platform, Check& check) {
        std::string reason;
        if (check.reason.wait_until(deadline) == std::future_status::ready) {
            reason = check.reason.get();
        } else {
            reason = std::string(check.resolving ? "its host name did not resolve" : "did not answer") + " within " +
                     std::to_string(kDisplayAnswerTime.count()) + " s";
        }
        if (reason.empty()) {
            // When both answer, the toolkit chooses.
            reach.platform = reach.reachable ? "" : platform;
            reach.reachable = true;
            reach.answered += (reach.answered.empty() ? "" : ", ") + std::string(name) + "=" + value;
        } else {
            reach.unreachable +=
                (reach.unreachable.empty() ? "" : ", ") + std::string(name) + "=" + value + " (" + reason + ")";
        }
    };
    if (x != nullptr) {
        note("DISPLAY", x, "xcb", *xCheck);
    }
    if (wayland != nullptr) {
        note("WAYLAND_DISPLAY", wayland, "wayland", *waylandCheck);
    }
    return reach;
}

DisplayStandIn::DisplayStandIn(std::chrono::steady_clock::time_point deadline) {
    int go[2];
    // What is buffered would otherwise be written twice, once by each process.
    std::fflush(nullptr);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, go) != 0) {
        return; // no stand-in: the display is waited for as before
    }
    const pid_t original = ::getpid();
    m_copy = ::fork();
    if (m_copy == 0) {
        ::close(go[1]);
        // Ended with the original, so that a signal that ends the original (a script's time-out) ends the copy too.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        char byte = 0;
        ssize_t got = 0;
        while (::getppid() == original && (got = ::read(go[0], &byte, 1)) < 0 && errno == EINTR) {
        }
        if (got != 1) {
            ::_exit(0);
        }
        ::close(go[0]);
        m_tookOver = true;
        return;
    }
    ::close(go[0]);
    if (m_copy < 0) {
        ::close(go[1]);
        return;
    }
    m_go = go[1];
    m_watch = std::thread(&DisplayStandIn::Watch, this, deadline);
}

DisplayStandIn::~DisplayStandIn() {
    Release();
}

void DisplayStandIn::Release() {
    {
        const std::lock_guard lock(m_mutex);
        m_released = true;
    }
    m_wake.notify_one();
    if (m_watch.joinable()) {
        m_watch.join();
    }
}

void DisplayStandIn::Watch(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(m_mutex);
    if (m_wake.wait_until(lock, deadline, [this] { return m_released; })) {
        ::close(m_go);
        ::waitpid(m_copy, nullptr, 0);
        return;
    }
    // Past the deadline the copy has the run: this process only waits for it, and ends as it ends.
    static_cast<void>(::send(m_go, "", 1, MSG_NOSIGNAL)); // a copy that has died already is told nothing
    int status = 0;
    while (::waitpid(m_copy, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status)) {
        std::signal(WTERMSIG(status), SIG_DFL);
        ::kill(::getpid(), WTERMSIG(status));
    }
    ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 1);
}
