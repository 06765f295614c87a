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
// By signal number.
struct sigaction g_previous[NSIG];
bool g_installed[NSIG] = {};

static_assert(std::atomic<bool>::is_always_lock_free, "the handler reads the flag");

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
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals) {
        sigaddset(&action.sa_mask, signal);
    }
    for (const int signal : kSignals) {
        struct sigaction current {};
        ::sigaction(signal, nullptr, &current);
        g_installed[signal] = current.sa_handler != SIG_IGN;
        if (g_installed[signal]) {
            ::sigaction(signal, &action, &g_previous[signal]);
        }
    }
}

void Forget() {
    if (!g_armed.exchange(false)) {
        return;
    }
    for (const int signal : kSignals) {
        if (g_installed[signal]) {
            ::sigaction(signal, &g_previous[signal], nullptr);
            g_installed[signal] = false;
        }
    }
}

Hold::Hold() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kSignals) {
        sigaddset(&set, signal);
    }
    ::pthread_sigmask(SIG_BLOCK, &set, &m_previous);
}

Hold::~Hold() {
    ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
}

} // namespace EndSignals
