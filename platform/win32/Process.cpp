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
    // The path may be longer than MAX_PATH: the buffer grows while the call fills it to the end.
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) == path.size() &&
           path.size() < 0x10000) {
        path.resize(path.size() * 2);
    }
    if (length == 0 || length == path.size()) {
        return ".";
    }
    path.resize(length);
    return Utf8FromWide(DirectoryPartOf(path));
}
