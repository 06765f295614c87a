// The graphical display the environment names (DISPLAY, WAYLAND_DISPLAY), and whether its server answers: Linux
// only, without any toolkit.
#pragma once

#include <chrono>
#include <string>

// How long the whole check may take, a host name's look-up included.
inline constexpr std::chrono::seconds kDisplayAnswerTime{2};

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
};

// Waits for the first answer of each named display's server (X: the reply to the connection setup; Wayland: a first
// round trip), side by side and within kDisplayAnswerTime, host-name look-up included. A server that has not answered
// by then counts as unreachable; the thread that tried it stays blocked until the process ends.
DisplayReach ReachDisplay();
