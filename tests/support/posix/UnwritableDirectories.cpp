// Test seam, preloaded into the real executable: the directories listed in TARVENNE_TEST_UNWRITABLE (separated by
// ":") refuse new files, as a read-only directory refuses them to anyone but root. Tests run as root too, and root
// ignores permissions, so this is how they make a directory unwritable.
#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <string_view>

namespace {

bool IsUnwritable(std::string_view path) {
    const char* list = std::getenv("TARVENNE_TEST_UNWRITABLE");
    if (list == nullptr) {
        return false;
    }
    const std::string_view directory = path.substr(0, path.rfind('/') == std::string_view::npos ? 0 : path.rfind('/'));
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

} // namespace

extern "C" int mkostemp(char* pattern, int flags) {
    using Function = int (*)(char*, int);
    static const auto real = reinterpret_cast<Function>(::dlsym(RTLD_NEXT, "mkostemp"));
    if (IsUnwritable(pattern)) {
        errno = EACCES;
        return -1;
    }
    return real(pattern, flags);
}
