// Runs the real executable as a child process without a display and collects what it printed.
#pragma once

#include <string>
#include <vector>

struct ProgramResult {
    int status = -1; // exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs program with the arguments, DISPLAY and WAYLAND_DISPLAY removed from its environment, standard input
// closed, in workingDirectory when one is given. Gives up and kills it after timeoutSeconds.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory = {}, int timeoutSeconds = 60);

// A copy of the built executable inside directory, so that the application directory is one the test owns.
std::string CopyOfTarvenne(const std::string& directory);
