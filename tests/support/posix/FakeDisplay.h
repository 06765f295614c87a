// A display server that is only a socket, for the tests of the display check: Linux only.
#pragma once

#include <atomic>
#include <string>
#include <thread>

class FakeDisplay {
public:
    enum class Kind { X, XSocketFile, XOverTcp, Wayland };
    enum class Mode {
        Gone,       // nothing takes connections there
        Silent,     // takes every connection and never answers
        HangsUp,    // takes every connection and closes it at once
        Answers,    // reads the request and, when it is the one the display check sends, gives the first answer (for
                    // X, a refusal, so that Qt cannot open it) and closes
        AnswersOnce // answers the first connection as Answers does, then goes quiet: later ones are never answered
    };

    // Each takes a display number of its own. X listens on the abstract socket of that number; XSocketFile on a socket
    // file in directory, which DISPLAY names by its path; XOverTcp on 127.0.0.1, port 6000 + the number; Wayland on a
    // socket file in directory.
    FakeDisplay(Kind kind, Mode mode, const std::string& directory = {});
    ~FakeDisplay();
    FakeDisplay(const FakeDisplay&) = delete;
    FakeDisplay& operator=(const FakeDisplay&) = delete;

    // What DISPLAY or WAYLAND_DISPLAY names it with: ":N", "PATH:N", "127.0.0.1:N", or the socket's path.
    const std::string& Name() const { return m_name; }
    int Number() const { return m_number; }
    // The connections it has taken up (a silent one leaves them waiting).
    int Accepted() const { return m_accepted; }

private:
    std::string m_name;
    int m_number = 0;
    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    std::thread m_thread;
};
