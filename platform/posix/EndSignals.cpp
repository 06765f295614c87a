// Removing the registered temporary file on SIGINT, SIGTERM and SIGHUP. The handler does only what is safe inside a
// signal handler: it unlinks a path prepared beforehand, puts the previous action back and raises the signal again.
#include "EndSignals.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

namespace EndSignals {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<bool> g_armed{false};
// A longer path could not have been opened.
char g_path[PATH_MAX] = {};
// The actions the handler took over from, by signal number; a signal that was ignored is left alone.
struct sigaction g_previous[NSIG];

static_assert(std::atomic<bool>::is_always_lock_free, "the handler reads the flag");

sigset_t EndSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kSignals) {
        sigaddset(&set, signal);
    }
    return set;
}

void OnEndSignal(int signal) {
    const int savedErrno = errno;
    if (g_armed.load()) {
        ::unlink(g_path);
    }
    ::sigaction(signal, &g_previous[signal], nullptr);
    // Blocked while this handler runs: delivered with the previous action as soon as it returns.
    ::raise(signal);
    errno = savedErrno;
}

} // namespace

void RemoveOnSignal(const std::string& path) {
    Forget();
    if (path.size() >= PATH_MAX) {
        return;
    }
    std::memcpy(g_path, path.c_str(), path.size() + 1);
    g_armed.store(true);
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    action.sa_mask = EndSignalSet();
    for (const int signal : kSignals) {
        ::sigaction(signal, nullptr, &g_previous[signal]);
        if (g_previous[signal].sa_handler != SIG_IGN) {
            ::sigaction(signal, &action, nullptr);
        }
    }
}

void Forget() {
    if (!g_armed.exchange(false)) {
        return;
    }
    for (const int signal : kSignals) {
        if (g_previous[signal].sa_handler != SIG_IGN) {
            ::sigaction(signal, &g_previous[signal], nullptr);
        }
    }
}

Hold::Hold() {
    const sigset_t set = EndSignalSet();
    ::pthread_sigmask(SIG_BLOCK, &set, &m_previous);
}

Hold::~Hold() {
    ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
}

} // namespace EndSignals
