// Runs the real executable as a child process and collects what it said: printed without a display on Linux, shown
// in message boxes on Windows.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// A message box the program showed (Windows only; on Linux the program prints instead).
struct ShownBox {
    std::string title;
    std::string text; // the prompt as shown, its CR LF line breaks kept

    bool operator==(const ShownBox&) const = default;
};

// Lets a failed comparison of boxes show them as text.
inline void PrintTo(const ShownBox& box, std::ostream* os) {
    *os << "{title \"" << box.title << "\", text \"" << box.text << "\"}";
}

struct ProgramResult {
    int status = -1; // exit status, or -1 when the program did not exit normally
    // On Windows, every message box's text and "\n", its CR LF turned into "\n": in err for an error message, in out
    // for any other, just as the program prints them without a display on Linux.
    std::string out;
    std::string err;
    std::vector<ShownBox> boxes;      // Windows: the boxes in the order shown, each answered with its OK button
    bool mainWindowShown = false;     // Windows: a window that is no dialog opened (and was closed)
    std::vector<std::string> windows; // Windows: the titles of the windows that were no message box
};

// Runs program with the arguments and the "NAME=value" entries of extraEnvironment added to its environment, in
// workingDirectory when one is given. Gives up and kills it after timeoutSeconds (status -1).
// Linux: DISPLAY and WAYLAND_DISPLAY are removed from its environment and standard input is closed.
// Windows: the command line is the quoted program path and the arguments joined by single spaces, as typed. The
// program's windows are answered as they come, as a user would who wants the program to end: a message box with
// OK, a file dialog with Cancel, any other window (the main window) by closing it.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory = {},
                         const std::vector<std::string>& extraEnvironment = {}, int timeoutSeconds = 60);

// A copy of the built executable inside directory, so that the application directory is one the test owns.
std::string CopyOfTarvenne(const std::string& directory);
