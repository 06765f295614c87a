// The named temporary file that goes when the program is ended by SIGINT, SIGTERM or SIGHUP.
#pragma once

#include <csignal>
#include <string>

namespace EndSignals {

// Until Forget, SIGINT, SIGTERM or SIGHUP first removes that file, then ends the program as the signal does; an ignored
// signal stays ignored. One file at a time, as the program writes: a later call takes the place of an earlier one.
void RemoveOnSignal(const std::string& path);
// Forgets the file; the program's own handling of the signals is back.
void Forget();

// Holds the three signals back while it lives, so that a file is renamed and forgotten in one step; they come after.
class Hold {
public:
    Hold();
    ~Hold();
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    sigset_t m_previous;
};

} // namespace EndSignals
