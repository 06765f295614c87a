// What the program learns from its process: the argument text, its own directory, the display.
#pragma once

#include <string>

// The arguments after the program's name, joined by single spaces; empty when there are none.
std::string ArgumentText(int argc, const char* const* argv);

// The directory that holds the executable, without a trailing separator.
std::string ApplicationDirectory();

// The separator that joins a directory and a file name on this system.
#if defined(_WIN32)
inline constexpr char kNativeSeparator = '\\';
#else
inline constexpr char kNativeSeparator = '/';
#endif

// True when a graphical display is available: always on Windows, where a user's session has a desktop; on Linux
// when DISPLAY or WAYLAND_DISPLAY is set.
bool HasDisplay();
