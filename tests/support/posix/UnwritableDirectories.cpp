// Test seam, preloaded into the real executable: the directories listed in TARVENNE_TEST_UNWRITABLE (separated by
// ":") refuse new files, as a read-only directory refuses them to anyone but root. Tests run as root too, and root
// ignores permissions, so this is how they make a directory unwritable.
// Two more, for the tests of the write itself: with TARVENNE_TEST_NO_TMPFILE set, every file system behaves as one
// without unnamed files (O_TMPFILE); with TARVENNE_TEST_HOLD_SYNC set, syncing a file waits (up to 30 s) so that a
// test can send a signal while the output is being written; with TARVENNE_TEST_SYNC_LOG naming a file, each sync
// and rename is logged to it, in order ("sync file", "sync directory", "rename").
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void Log(const char* line) {
    const char* log = std::getenv("TARVENNE_TEST_SYNC_LOG");
    if (log == nullptr) {
        return;
    }
    using Function = int (*)(const char*, int, ...);
    static const auto realOpen = reinterpret_cast<Function>(::dlsym(RTLD_NEXT, "open"));
    const int fd = realOpen(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) {
        static_cast<void>(::write(fd, line, std::strlen(line)));
        ::close(fd);
    }
}

bool IsListed(std::string_view directory) {
    const char* list = std::getenv("TARVENNE_TEST_UNWRITABLE");
    if (list == nullptr) {
        return false;
    }
    std::string_view rest = list;
    while (!rest.empty()) {
        const std::size_t end = rest.find(':');
        const std::string_view entry = rest.substr(0, end);
        if (!entry.empty() && entry == directory) {
            return true;
        }
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return false;
}

bool IsUnwritable(std::string_view path) {
    return IsListed(path.substr(0, path.rfind('/') == std::string_view::npos ? 0 : path.rfind('/')));
}

// An unnamed file is asked for by its directory's path. Returns 0 when the seam lets the call through.
int RefusedUnnamedFile(const char* directory, int flags) {
    if ((flags & O_TMPFILE) != O_TMPFILE) {
        return 0;
    }
    if (std::getenv("TARVENNE_TEST_NO_TMPFILE") != nullptr) {
        return EOPNOTSUPP;
    }
    std::string_view path = directory;
    while (path.size() > 1 && path.back() == '/') {
        path.remove_suffix(1);
    }
    return IsListed(path) ? EACCES : 0;
}

template <typename Function> Function Next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

int OpenThrough(const char* function, const char* path, int flags, mode_t mode) {
    if (const int refused = RefusedUnnamedFile(path, flags); refused != 0) {
        errno = refused;
        return -1;
    }
    using Function = int (*)(const char*, int, ...);
    return Next<Function>(function)(path, flags, mode);
}

mode_t ModeArgument(int flags, va_list arguments) {
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

} // namespace

extern "C" int mkostemp(char* pattern, int flags) {
    using Function = int (*)(char*, int);
    static const auto real = Next<Function>("mkostemp");
    if (IsUnwritable(pattern)) {
        errno = EACCES;
        return -1;
    }
    return real(pattern, flags);
}

extern "C" int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    return OpenThrough("open", path, flags, mode);
}

extern "C" int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    return OpenThrough("open64", path, flags, mode);
}

extern "C" int fsync(int fd) {
    using Function = int (*)(int);
    static const auto real = Next<Function>("fsync");
    struct stat info {};
    const bool isFile = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    Log(isFile ? "sync file\n" : S_ISDIR(info.st_mode) ? "sync directory\n" : "sync other\n");
    if (std::getenv("TARVENNE_TEST_HOLD_SYNC") != nullptr && isFile) {
        for (int i = 0; i < 3000; ++i) {
            const timespec pause{0, 10'000'000};
            ::nanosleep(&pause, nullptr);
        }
    }
    return real(fd);
}

extern "C" int rename(const char* from, const char* to) {
    using Function = int (*)(const char*, const char*);
    static const auto real = Next<Function>("rename");
    Log("rename\n");
    return real(from, to);
}
