// A program started by a test, watched and, when it overstays, ended: Windows only.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace win32test {

class ChildProcess {
public:
    // Starts program with the command line a user's shell hands it: its path in quotes, then the arguments joined by
    // single spaces exactly as given (the program cuts this text at every "-" itself), in workingDirectory, with no
    // handles of ours. Throws std::runtime_error, with the system's error code, when it cannot start.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& workingDirectory);
    // Kills the program if it still runs, so that no test leaves one behind.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    unsigned long Id() const { return m_id; }
    // The exit status once the program has ended, waiting at most timeout for it.
    std::optional<int> Wait(std::chrono::milliseconds timeout);
    // Ends the program at once and waits until it has gone.
    void Kill();

private:
    void* m_process = nullptr;
    unsigned long m_id = 0;
};

} // namespace win32test
