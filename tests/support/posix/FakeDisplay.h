// A display server that is only a socket, for the tests of the display check: Linux only.
#pragma once

#include <atomic>
#include <string>
#include <thread>

class FakeDisplay {
public:
    enum class Kind { X, Wayland };
    enum class Mode {
        Gone,       // nothing takes connections there
        Silent,     // takes every connection and never answers
        HangsUp,    // takes every connection and closes it at once
        Answers,    // reads the request and, when it is the one the display check sends, gives the first answer (for
                    // X, a refusal, so that Qt cannot open it) and closes
        AnswersOnce // answers the first connection as Answers does, then goes quiet: later ones are never answered
    };

    // An X display listens on the abstract socket of a display number of its own, a Wayland display on a socket
    // file in directory.
    FakeDisplay(Kind kind, Mode mode, const std::string& directory = {});
    ~FakeDisplay();
    FakeDisplay(const FakeDisplay&) = delete;
    FakeDisplay& operator=(const FakeDisplay&) = delete;

    // What DISPLAY or WAYLAND_DISPLAY names it with: ":N", or the socket's path.
    const std::string& Name() const { return m_name; }
    // The connections it has taken up (a silent one leaves them waiting).
    int Accepted() const { return m_accepted; }

private:
    std::string m_name;
    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    std::thread m_thread;
};
