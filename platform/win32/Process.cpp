// Argument text and application directory on Windows.
#include "Process.h"

#include "Unicode.h"
#include "Win32Paths.h"
#include "Win32Process.h"

#include <windows.h>

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

} // namespace

std::string ArgumentTextOf(std::wstring_view commandLine) {
    std::size_t i = 0;
    bool quoted = false;
    while (i < commandLine.size() && (quoted || !IsBlank(commandLine[i]))) {
        if (commandLine[i] == L'"') {
            quoted = !quoted;
        }
        ++i;
    }
    while (i < commandLine.size() && IsBlank(commandLine[i])) {
        ++i;
    }
    return Utf8FromWide(commandLine.substr(i));
}

// argv went through the C runtime's splitting and the system's code page; the command line itself is exact.
std::string ArgumentText(int /*argc*/, const char* const* /*argv*/) {
    return ArgumentTextOf(::GetCommandLineW());
}

std::string ApplicationDirectory() {
    // The path may be longer than MAX_PATH: grow the buffer until the whole path fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return ".";
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 0x10000) {
            return ".";
        }
        path.resize(path.size() * 2);
    }
    return Utf8FromWide(DirectoryPartOf(path));
}
