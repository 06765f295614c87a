// What opening, creating and replacing files on Windows share: names as the system takes them, and the short wait
// while another program holds a file.
#pragma once

#include "Error.h"

#include <string>
#include <string_view>

// Why a read-only target is not replaced, after its path.
inline constexpr const char* kReadOnlyReason = ": the file is read-only";

// The full UTF-16 path of a UTF-8 path. An empty name, a name that is not valid UTF-8 or one that holds a NUL (it
// would name another file) raises kind, as does a path the system cannot make full.
std::wstring FullNativePath(const std::string& path, ErrorKind kind);

// The folder part of a full path, without a trailing separator: "C:" for a file at a drive's root.
std::wstring DirectoryPartOf(std::wstring_view path);

// A name of prefix and then count random letters and digits, for a file of the program's own beside others.
std::wstring RandomName(std::wstring_view prefix, int count);

// True for a name in the system's device space (\\.\NUL, \\.\COM1, \\.\pipe\x, \\?\GLOBALROOT\...): no file on a
// disk. Drive paths and shares written in that space (\\?\C:\x, \\.\C:\x, \\?\UNC\s\x) are files.
bool IsDevicePath(std::wstring_view fullPath);

// True for the errors a file shows while another program (a virus scanner, the indexer, a backup) holds it for a
// moment, or while its deletion is pending: worth another try.
bool IsPassingError(unsigned long error);

// Paces the attempts of one operation on a file another program may hold: about a second in all, the pauses
// growing from a few milliseconds, so that a brief hold costs little and a lasting one ends the operation soon.
class BusyRetry {
public:
    BusyRetry();
    // Waits before the next attempt and returns true, or returns false when the time is up.
    bool Wait() noexcept;

private:
    unsigned long long m_deadline;
    unsigned long m_pause = 10;
};
