// A listening socket and a thread that takes its connections.
#include "FakeDisplay.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Whether the request is the start of an X connection: a byte order, then protocol version 11 in that order.
bool IsXSetup(const unsigned char* request) {
    return (request[0] == 'l' && request[2] == 11 && request[3] == 0) ||
           (request[0] == 'B' && request[2] == 0 && request[3] == 11);
}

} // namespace

FakeDisplay::FakeDisplay(Kind kind, Mode mode, const std::string& directory) : m_kind(kind), m_mode(mode) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // Numbers that no other fake of this process has had, so that a gone display stays gone.
    static int next = 4000 + ::getpid() % 2000;
    for (int number = next++;; number = next++) {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        std::string path = (kind == Kind::X ? "/tmp/.X11-unix/X" : directory + "/wayland-") + std::to_string(number);
        if (kind == Kind::X) {
            // An X socket is abstract: its name starts with a NUL.
            path.insert(path.begin(), '\0');
        }
        std::memcpy(address.sun_path, path.data(), path.size());
        const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size());
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) == 0) {
            m_name = kind == Kind::X ? std::string(":").append(std::to_string(number)) : path;
            break;
        }
        ::close(m_fd);
    }
    if (mode == Mode::Gone) {
        // Let go before it listened: nothing is there, as after a server that has ended.
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    ::listen(m_fd, 16);
    m_thread = std::thread([this] {
        while (!m_stop) {
            pollfd wait{m_fd, POLLIN, 0};
            const int client = ::poll(&wait, 1, 20) == 1 ? ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC) : -1;
            if (client >= 0) {
                ++m_accepted;
                Serve(client);
            }
        }
    });
}

FakeDisplay::~FakeDisplay() {
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    for (const int fd : m_held) {
        ::close(fd);
    }
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void FakeDisplay::Serve(int client) {
    if (m_mode == Mode::Silent) {
        m_held.push_back(client);
        return;
    }
    if (m_mode == Mode::Answers) {
        const timeval wait{1, 0};
        ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        // Both requests are 12 bytes: for Wayland, wl_display (1) sync (request 0, size 12) with the new callback's
        // id, answered by that callback's done event (0).
        std::uint32_t request[3] = {};
        if (::recv(client, request, sizeof request, MSG_WAITALL) == sizeof request) {
            if (m_kind == Kind::X && IsXSetup(reinterpret_cast<const unsigned char*>(request))) {
                static_cast<void>(::send(client, "", 1, MSG_NOSIGNAL));
            }
            if (m_kind == Kind::Wayland && request[0] == 1 && request[1] == 12 << 16) {
                const std::uint32_t done[3] = {request[2], 12 << 16, 0};
                static_cast<void>(::send(client, done, sizeof done, MSG_NOSIGNAL));
            }
        }
    }
    ::close(client);
}
