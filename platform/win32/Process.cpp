// Argument text and application directory on Windows.
#include "Process.h"

#include "Unicode.h"
#include "Win32Paths.h"
#include "Win32Process.h"

#include <windows.h>

std::string ArgumentTextOf(std::wstring_view commandLine) {
    constexpr std::wstring_view kBlanks = L" \t";
    std::size_t i = 0;
    bool quoted = false;
    while (i < commandLine.size() && (quoted || kBlanks.find(commandLine[i]) == std::wstring_view::npos)) {
        if (commandLine[i] == L'"') {
            quoted = !quoted;
        }
        ++i;
    }
    const std::size_t start = commandLine.find_first_not_of(kBlanks, i);
    return start == std::wstring_view::npos ? std::string() : Utf8FromWide(commandLine.substr(start));
}

// argv went through the C runtime's splitting and the system's code page; the command line itself is exact.
std::string ArgumentText(int /*argc*/, const char* const* /*argv*/) {
    return ArgumentTextOf(::GetCommandLineW());
}

std::vector<std::size_t> ArgumentStarts(int /*argc*/, const char* const* /*argv*/) {
    return {};
}

std::string ApplicationDirectory() {
    // Room for the longest path the system takes: a length that fills the buffer means the path was cut short.
    std::wstring path(32768, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length == path.size()) {
        return ".";
    }
    return Utf8FromWide(DirectoryPartOf(std::wstring_view(path).substr(0, length)));
}
