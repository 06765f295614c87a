// What the program learns from its process: the argument text and its own directory.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The arguments after the program's name, joined by single spaces; empty when there are none. On Windows argv is
// not used: the text is the process's own command line after the program's name and the blanks that follow it,
// exactly as the caller wrote it, quotation marks included.
std::string ArgumentText(int argc, const char* const* argv);

// Where each argument after the program's name begins in ArgumentText, when the system hands them over as a list
// (Linux); empty where it hands over one text (Windows).
std::vector<std::size_t> ArgumentStarts(int argc, const char* const* argv);

// The directory that holds the executable, without a trailing separator.
std::string ApplicationDirectory();

// kUnquotePaths: whether quotation marks around a whole path in the argument text are taken away. On Windows people
// and programs quote paths with spaces by habit, and no file name can hold one; on Linux the shell has already taken
// the user's own away, and what is left is part of the name. kNativeSeparator joins a directory and a file name.
#if defined(_WIN32)
inline constexpr bool kUnquotePaths = true;
inline constexpr char kNativeSeparator = '\\';
#else
inline constexpr bool kUnquotePaths = false;
inline constexpr char kNativeSeparator = '/';
#endif

// A value of the argument text, or a part of a dialog's filter, without the spaces around it.
inline std::string TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string()
                                           : std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}
