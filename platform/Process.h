// What the program learns from its process: the argument text and its own directory.
#pragma once

#include <string>

// The arguments after the program's name, joined by single spaces; empty when there are none. On Windows argv is
// not used: the text is the process's own command line after the program's name and the blanks that follow it,
// exactly as the caller wrote it, quotation marks included.
std::string ArgumentText(int argc, const char* const* argv);

// The directory that holds the executable, without a trailing separator.
std::string ApplicationDirectory();

// The separator that joins a directory and a file name on this system.
#if defined(_WIN32)
inline constexpr char kNativeSeparator = '\\';
#else
inline constexpr char kNativeSeparator = '/';
#endif
