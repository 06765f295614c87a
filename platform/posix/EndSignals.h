// Named temporary files that go when the program is ended by SIGINT, SIGTERM or SIGHUP.
#pragma once

#include <csignal>
#include <string>

namespace EndSignals {

// While a path is registered, ending the program with SIGINT, SIGTERM or SIGHUP first removes that file, then lets
// the signal take its usual course (the program ends with the signal's status). A signal the program ignores stays
// ignored. Returns false when no more paths can be registered; the file is then not removed on a signal.
bool RemoveOnSignal(const std::string& path);
// Forgets the path; once nothing is registered the program's own handling of the signals is back.
void Forget(const std::string& path);

// Holds SIGINT, SIGTERM and SIGHUP back while it lives, so that a file can be renamed and forgotten in one step; a
// signal that comes meanwhile is delivered when it goes.
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
