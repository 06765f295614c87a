// Test seam, preloaded into the real executable with the others: with TARVENNE_TEST_SCREEN_LOG naming a file, an
// on-screen message box is dismissed at once instead of waiting for a user, and the main window's event loop ends
// as soon as it starts; each is logged to that file ("box", "window"). Without it, both do what Qt does.
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool Logged(const char* line) {
    const char* log = std::getenv("TARVENNE_TEST_SCREEN_LOG");
    if (log == nullptr) {
        return false;
    }
    const int fd = ::open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) {
        static_cast<void>(::write(fd, line, std::strlen(line)));
        ::close(fd);
    }
    return true;
}

} // namespace

// int QDialog::exec(), which a message box waits in.
extern "C" int _ZN7QDialog4execEv(void* dialog) {
    if (Logged("box\n")) {
        return 1;
    }
    using Function = int (*)(void*);
    static const auto real = reinterpret_cast<Function>(::dlsym(RTLD_NEXT, "_ZN7QDialog4execEv"));
    return real(dialog);
}

// static int QApplication::exec(), the main window's event loop.
extern "C" int _ZN12QApplication4execEv() {
    if (Logged("window\n")) {
        return 0;
    }
    using Function = int (*)();
    static const auto real = reinterpret_cast<Function>(::dlsym(RTLD_NEXT, "_ZN12QApplication4execEv"));
    return real();
}
