// Removing registered temporary files on SIGINT, SIGTERM and SIGHUP. The handler does only what is safe inside a
// signal handler: it unlinks paths prepared beforehand, puts the previous action back and raises the signal again.
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
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];

struct Slot {
    std::atomic<bool> armed{false};
    char path[PATH_MAX] = {};
};

Slot g_slots[4];
struct sigaction g_previous[kSignalCount];
bool g_installed[kSignalCount] = {};
int g_registered = 0;

static_assert(std::atomic<bool>::is_always_lock_free, "the handler reads the flags");

void OnEndSignal(int signal) {
    const int savedErrno = errno;
    for (Slot& slot : g_slots) {
        if (slot.armed.load()) {
            ::unlink(slot.path);
        }
    }
    for (int i = 0; i < kSignalCount; ++i) {
        if (kSignals[i] == signal) {
            ::sigaction(signal, &g_previous[i], nullptr);
        }
    }
    // Blocked while this handler runs: delivered with the previous action as soon as it returns.
    ::raise(signal);
    errno = savedErrno;
}

void Install() {
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals) {
        sigaddset(&action.sa_mask, signal);
    }
    for (int i = 0; i < kSignalCount; ++i) {
        struct sigaction current {};
        ::sigaction(kSignals[i], nullptr, &current);
        g_installed[i] = current.sa_handler != SIG_IGN;
        if (g_installed[i]) {
            ::sigaction(kSignals[i], &action, &g_previous[i]);
        }
    }
}

void Uninstall() {
    for (int i = 0; i < kSignalCount; ++i) {
        if (g_installed[i]) {
            ::sigaction(kSignals[i], &g_previous[i], nullptr);
            g_installed[i] = false;
        }
    }
}

} // namespace

bool RemoveOnSignal(const std::string& path) {
    if (path.size() >= PATH_MAX) {
        return false;
    }
    for (Slot& slot : g_slots) {
        if (!slot.armed.load()) {
            std::memcpy(slot.path, path.c_str(), path.size() + 1);
            if (g_registered++ == 0) {
                Install();
            }
            slot.armed.store(true);
            return true;
        }
    }
    return false;
}

void Forget(const std::string& path) {
    for (Slot& slot : g_slots) {
        if (slot.armed.load() && path == slot.path) {
            slot.armed.store(false);
            if (--g_registered == 0) {
                Uninstall();
            }
            return;
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
