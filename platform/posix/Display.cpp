// Reaching the X and Wayland display servers that the environment names, without any toolkit: a display that is
// named but gone (an ssh session without X forwarding, a scheduled job that inherited DISPLAY) is found here.
#include "Process.h"

#include "Error.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int kTimeoutMilliseconds = 1000;
constexpr int kFirstX11Port = 6000;

// 0 when a connection to the address is accepted within the time, otherwise the errno value that says why not.
int Connect(int domain, const sockaddr* address, socklen_t length) {
    const int fd = ::socket(domain, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return errno;
    }
    int result = 0;
    if (::connect(fd, address, length) != 0) {
        result = errno;
        // A local server whose queue is full is there all the same.
        if (result == EAGAIN && domain == AF_UNIX) {
            result = 0;
        } else if (result == EINPROGRESS) {
            pollfd wait{fd, POLLOUT, 0};
            const int ready = ::poll(&wait, 1, kTimeoutMilliseconds);
            if (ready == 0) {
                result = ETIMEDOUT;
            } else if (ready < 0) {
                result = errno;
            } else {
                socklen_t size = sizeof result;
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &size);
            }
        }
    }
    ::close(fd);
    return result;
}

// A local socket; an abstract one when the name starts with a NUL.
int ConnectLocal(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        return ENAMETOOLONG;
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + (path[0] != '\0'));
    return Connect(AF_UNIX, reinterpret_cast<const sockaddr*>(&address), length);
}

int ConnectTcp(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* addresses = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses) != 0) {
        return EHOSTUNREACH;
    }
    int result = EHOSTUNREACH;
    for (const addrinfo* a = addresses; a != nullptr && result != 0; a = a->ai_next) {
        result = Connect(a->ai_family, a->ai_addr, a->ai_addrlen);
    }
    ::freeaddrinfo(addresses);
    return result;
}

// DISPLAY is [protocol/][host]:number[.screen]: no host (or "unix") is the local server's socket, in the abstract
// namespace or in /tmp/.X11-unix, a host is reached over TCP on port 6000 + number, and a path before the colon is
// the socket itself.
int ReachX(const std::string& display) {
    std::string rest = display;
    std::string protocol;
    if (const std::size_t slash = rest.find('/'); slash != std::string::npos && slash != 0) {
        protocol = rest.substr(0, slash);
        rest = rest.substr(slash + 1);
    }
    const std::size_t colon = rest.rfind(':');
    if (colon == std::string::npos) {
        return EINVAL;
    }
    const std::string host = rest.substr(0, colon);
    std::size_t digits = 0;
    const std::string number = rest.substr(colon + 1);
    while (digits < number.size() && number[digits] >= '0' && number[digits] <= '9') {
        ++digits;
    }
    if (digits == 0 || digits > 5 || (digits < number.size() && number[digits] != '.')) {
        return EINVAL;
    }
    const int displayNumber = std::atoi(number.substr(0, digits).c_str());
    if (!host.empty() && host[0] == '/') {
        return ConnectLocal(host);
    }
    if (protocol != "tcp" && (host.empty() || host == "unix")) {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(displayNumber);
        int result = ConnectLocal(std::string(1, '\0') + socket);
        if (result != 0) {
            result = ConnectLocal(socket);
        }
        if (result == 0 || protocol == "unix" || host == "unix") {
            return result;
        }
    }
    return ConnectTcp(host.empty() ? "localhost" : host, kFirstX11Port + displayNumber);
}

// WAYLAND_DISPLAY names a socket in XDG_RUNTIME_DIR, or is the socket's absolute path.
int ReachWayland(const std::string& display) {
    if (display[0] == '/') {
        return ConnectLocal(display);
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0') {
        return ENOENT;
    }
    return ConnectLocal(std::string(runtime) + "/" + display);
}

} // namespace

DisplayReach ReachDisplay() {
    DisplayReach reach;
    for (const auto& [name, platform] : {std::pair{"DISPLAY", "xcb"}, std::pair{"WAYLAND_DISPLAY", "wayland"}}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') {
            continue;
        }
        const int result = std::string(name) == "DISPLAY" ? ReachX(value) : ReachWayland(value);
        if (result == 0) {
            // When both can be reached, the toolkit chooses.
            reach.platform = reach.reachable ? "" : platform;
            reach.reachable = true;
        } else {
            reach.unreachable += (reach.unreachable.empty() ? "" : ", ") + std::string(name) + "=" + value + " (" +
                                 SystemReason(result) + ")";
        }
    }
    return reach;
}
