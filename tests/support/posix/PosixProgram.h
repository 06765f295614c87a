// Linux only: the real executable as a process the test watches while it runs.
#pragma once

#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <vector>

// Starts program (searched in PATH when its name has no "/") as RunProgram does: without DISPLAY and WAYLAND_DISPLAY
// unless extraEnvironment names them, standard input closed, its output going to the files outPath and errPath when
// given, otherwise nowhere; with closeAll, standard output and error are closed too. Does not wait.
pid_t StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& workingDirectory, const std::vector<std::string>& extraEnvironment,
                   const std::string& outPath = {}, const std::string& errPath = {}, bool closeAll = false);

// Waits for the program and returns its wait status; kills it after timeoutSeconds and returns -1. With usage, what
// the program used (its peak memory, say) is put there.
int WaitForProgram(pid_t child, int timeoutSeconds = 60, rusage* usage = nullptr);

// The paths the program's open descriptors lead to, as /proc shows them (an unnamed file's ends in "(deleted)").
std::vector<std::string> OpenFilesOf(pid_t child);

// Puts the on-screen module (a link to the built one) beside a copy of the executable, where the copy looks for it.
void AddScreenModule(const std::string& directory);
// Makes a runtime directory of the user's own in directory, as Qt wants one (XDG_RUNTIME_DIR), and returns its path.
std::string MakeRuntimeDirectory(const std::string& directory);
