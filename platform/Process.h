// What the program learns from its process: the argument text, its own directory, the display.
#pragma once

#include <string>

// The arguments after the program's name, joined by single spaces; empty when there are none. On Windows argv is
// not used: the text is the process's own command line after the program's name and the blanks that follow it,
// exactly as the caller wrote it, quotation marks included.
std::string ArgumentText(int argc, const char* const* argv);

// Whether quotation marks around a whole path in the argument text are taken away. On Windows people and programs
// quote paths with spaces by habit, and no file name can hold one; on Linux the shell has already taken the user's
// own away, and what is left is part of the name.
#if defined(_WIN32)
inline constexpr bool kUnquotePaths = true;
#else
inline constexpr bool kUnquotePaths = false;
#endif

// The directory that holds the executable, without a trailing separator.
std::string ApplicationDirectory();

// The separator that joins a directory and a file name on this system.
#if defined(_WIN32)
inline constexpr char kNativeSeparator = '\\';
#else
inline constexpr char kNativeSeparator = '/';
#endif

// True when there is a graphical display to show things on: always on Windows, where a user's session has a
// desktop; on Linux when DISPLAY or WAYLAND_DISPLAY names one (whether it can be reached, ReachDisplay tells).
bool HasDisplay();

#if !defined(_WIN32)
// What a short attempt to reach the display servers that DISPLAY and WAYLAND_DISPLAY name found (Linux only; the
// attempt connects to each server's socket and hangs up, within about a second).
struct DisplayReach {
    // The window system to use: "xcb" or "wayland" when only that one can be reached, empty when both can (the
    // toolkit then chooses) or neither.
    std::string platform;
    // True when a display can be reached.
    bool reachable = false;
    // The displays that are named but cannot be reached, with the reason, for the user: DISPLAY=:5 (No such file
    // or directory). Empty when none is named.
    std::string unreachable;
};
DisplayReach ReachDisplay();
#endif
