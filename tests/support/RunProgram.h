// Runs the real executable as a child process without a display and collects what it printed.
#pragma once

#include <string>
#include <vector>

struct ProgramResult {
    int status = -1; // exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs program with the arguments, DISPLAY and WAYLAND_DISPLAY removed from its environment and the
// "NAME=value" entries of extraEnvironment added, standard input closed, in workingDirectory when one is given.
// Gives up and kills it after timeoutSeconds.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory = {},
                         const std::vector<std::string>& extraEnvironment = {}, int timeoutSeconds = 60);

// The environment entries that make the listed directories refuse new files in a program run by RunProgram.
std::vector<std::string> UnwritableDirectories(const std::vector<std::string>& directories);

// A copy of the built executable inside directory, so that the application directory is one the test owns.
std::string CopyOfTarvenne(const std::string& directory);
