// A listening socket, and a thread that takes up its connections.
#include "FakeDisplay.h"

#include <arpa/inet.h>
#include <cstddef>
#include <cstdint>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Both requests the display check sends are 12 bytes: for X the connection setup (a byte order, then protocol
// version 11 in that order), refused with a byte; for Wayland, wl_display (1) sync (request 0, size 12) with the new
// callback's id, answered by that callback's done event (0). Any other request gets nothing.
void Answer(FakeDisplay::Kind kind, int client) {
    const timeval wait{1, 0};
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    std::uint32_t request[3] = {};
    const auto* bytes = reinterpret_cast<const unsigned char*>(request);
    if (::recv(client, request, sizeof request, MSG_WAITALL) != sizeof request) {
        return;
    }
    if (kind != FakeDisplay::Kind::Wayland && ((bytes[0] == 'l' && bytes[2] == 11 && bytes[3] == 0) ||
                                               (bytes[0] == 'B' && bytes[2] == 0 && bytes[3] == 11))) {
        static_cast<void>(::send(client, "", 1, MSG_NOSIGNAL));
    }
    if (kind == FakeDisplay::Kind::Wayland && request[0] == 1 && request[1] == 12 << 16) {
        const std::uint32_t done[3] = {request[2], 12 << 16, 0};
        static_cast<void>(::send(client, done, sizeof done, MSG_NOSIGNAL));
    }
}

} // namespace

FakeDisplay::FakeDisplay(Kind kind, Mode mode, const std::string& directory) {
    // Numbers that no other fake of this process has had, so that a gone display stays gone.
    static int next = 4000 + ::getpid() % 2000;
    for (m_number = next++;; m_number = next++) {
        const std::string number = std::to_string(m_number);
        sockaddr_storage address{};
        socklen_t length = sizeof(sockaddr_in);
        if (kind == Kind::XOverTcp) {
            auto& inet = reinterpret_cast<sockaddr_in&>(address);
            inet.sin_family = AF_INET;
            inet.sin_port = htons(static_cast<std::uint16_t>(6000 + m_number));
            ::inet_pton(AF_INET, "127.0.0.1", &inet.sin_addr);
            m_name = "127.0.0.1:" + number;
        } else {
            auto& local = reinterpret_cast<sockaddr_un&>(address);
            local.sun_family = AF_UNIX;
            std::string path = kind == Kind::X             ? "/tmp/.X11-unix/X" + number
                               : kind == Kind::XSocketFile ? directory + "/X" + number
                                                           : directory + "/wayland-" + number;
            m_name = kind == Kind::X ? ":" + number : kind == Kind::XSocketFile ? path + ":" + number : path;
            if (kind == Kind::X) {
                path.insert(path.begin(), '\0'); // an X socket is abstract: its name starts with a NUL
            }
            path.copy(local.sun_path, path.size());
            length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size());
        }
        m_fd = ::socket(address.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) == 0) {
            break;
        }
        ::close(m_fd);
    }
    // Gone lets go before it listens, as a server that has ended; Silent leaves every connection waiting unanswered.
    if (mode == Mode::Gone || ::listen(m_fd, 16) != 0 || mode == Mode::Silent) {
        return;
    }
    m_thread = std::thread([this, kind, mode] {
        while (!m_stop) {
            pollfd wait{m_fd, POLLIN, 0};
            const int client = ::poll(&wait, 1, 20) == 1 ? ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC) : -1;
            if (client >= 0) {
                ++m_accepted;
                if (mode == Mode::Answers || mode == Mode::AnswersOnce) {
                    Answer(kind, client);
                }
                ::close(client);
                if (mode == Mode::AnswersOnce) {
                    return; // later connections wait in the queue, unanswered
                }
            }
        }
    });
}

FakeDisplay::~FakeDisplay() {
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    ::close(m_fd);
}
