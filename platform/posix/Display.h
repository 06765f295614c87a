// The graphical display the environment names (DISPLAY, WAYLAND_DISPLAY), whether its server answers, and what goes on
// without it if it stops answering while it is opened: Linux only, without any toolkit.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>

// How long the whole check may take, a host name's look-up included.
inline constexpr std::chrono::seconds kDisplayAnswerTime{2};
// How long a display may take in all to show something, the check included.
inline constexpr std::chrono::seconds kDisplayShowTime{5};

// True when DISPLAY or WAYLAND_DISPLAY names a display (whether it answers, ReachDisplay tells).
bool HasDisplay();

struct DisplayReach {
    // The window system to use: "xcb" or "wayland" when only that one answers, empty when both do (the toolkit then
    // chooses) or neither.
    std::string platform;
    bool reachable = false;
    // The displays that are named but do not answer, with the reason, for the user: DISPLAY=:5 (No such file or
    // directory). Empty when none is named.
    std::string unreachable;
    // The displays that answered, for the user: DISPLAY=:0.
    std::string answered;
};

// Waits for the first answer of each named display's server (X: the reply to the connection setup; Wayland: a first
// round trip), side by side and within kDisplayAnswerTime, host-name look-up included. A server that has not answered
// by then counts as unreachable; the thread that tried it stays blocked until the process ends.
DisplayReach ReachDisplay();

// A copy of the process, made before the toolkit connects to a display that answered the check, that stands by until
// the display has shown something. Should nothing be on screen by the deadline (a server that answered the check and
// then went quiet, whatever the toolkit is waiting for), the copy goes on without the display and this process ends as
// the copy does, with its status; nothing of the toolkit runs after that.
class DisplayStandIn {
public:
    // Makes the copy. In the copy, returns at the deadline, with TookOver() true: it then goes on without the display.
    explicit DisplayStandIn(std::chrono::steady_clock::time_point deadline);
    // Ends the copy, as Release does.
    ~DisplayStandIn();
    DisplayStandIn(const DisplayStandIn&) = delete;
    DisplayStandIn& operator=(const DisplayStandIn&) = delete;

    bool TookOver() const { return m_tookOver; }
    // Something is on screen, or the display is given up: the copy ends. Called past the deadline, it returns only
    // with the end of the process.
    void Release();

private:
    void Watch(std::chrono::steady_clock::time_point deadline);

    pid_t m_copy = -1;
    int m_go = -1; // the copy waits on the other end: a byte takes it on, the end of the connection ends it
    bool m_tookOver = false;
    std::mutex m_mutex;
    bool m_released = false;
    std::condition_variable m_wake;
    std::thread m_watch;
};
