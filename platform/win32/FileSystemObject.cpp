// Opening input files and creating output files beside their targets, over the W functions.
#include "FileSystemObject.h"

#include "Error.h"
#include "Unicode.h"
#include "Win32Files.h"

#include <algorithm>
#include <cwctype>
#include <optional>
#include <random>
#include <utility>
#include <windows.h>

namespace {

constexpr const char* kNotRegular = ": not a regular file";
constexpr unsigned long kTotalRetryMs = 1000;
constexpr unsigned long kLongestPauseMs = 200;

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool IsLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (::towlower(a[i]) != ::towlower(b[i])) {
            return false;
        }
    }
    return true;
}

HANDLE OpenForReading(const std::wstring& path) {
    // Others may go on reading and writing the file while it is read, as they may with any editor's open file.
    return ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// True when the handle is a file on a disk and not a folder.
bool IsRegularFile(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The path of the file that a symbolic link finally names, or nothing when the system cannot tell.
std::optional<std::wstring> FinalPathOf(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::wstring final(MAX_PATH, L'\0');
    DWORD length = 0;
    for (;;) {
        length = ::GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0 || length < final.size()) {
            break;
        }
        final.resize(length);
    }
    ::CloseHandle(file);
    if (length == 0) {
        return std::nullopt;
    }
    final.resize(length);
    return final;
}

// The file the output takes the place of, after refusing what it must not replace: a device, a folder, a
// read-only file. A symbolic link is followed, so that the file it points to is replaced and the link stays. A
// missing target is fine, it is created; any other trouble in looking at it is the system's reason.
std::wstring CheckedTarget(const std::string& path, std::wstring target) {
    if (IsDevicePath(target)) {
        throw Error(ErrorKind::CannotWrite, path + kNotRegular);
    }
    DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES && ::GetLastError() == ERROR_FILE_NOT_FOUND) {
        return target;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        // Resolved once: other reparse points (cloud placeholders, deduplicated files) name themselves.
        if (std::optional<std::wstring> final = FinalPathOf(target)) {
            target = std::move(*final);
            attributes = ::GetFileAttributesW(target.c_str());
        }
    }
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        throw FileError(ErrorKind::CannotWrite, path, static_cast<int>(::GetLastError()));
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw Error(ErrorKind::CannotWrite, path + kNotRegular);
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        throw Error(ErrorKind::CannotWrite, path + kReadOnlyReason);
    }
    // Opened for no access at all, which no other program's sharing refuses, only to ask what it is.
    const HANDLE file = ::CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        const DWORD type = ::GetFileType(file);
        ::CloseHandle(file);
        if (type != FILE_TYPE_DISK) {
            throw Error(ErrorKind::CannotWrite, path + kNotRegular);
        }
    }
    return target;
}

// Beyond MAX_PATH the system takes a full path only in its long form (\\?\C:\..., \\?\UNC\server\...). The
// temporary file's name may be longer than the target's, so the long form starts a little before that limit.
std::wstring LongPathForm(std::wstring full) {
    constexpr std::size_t kRoomForTheTemporaryName = 20;
    if (full.size() + kRoomForTheTemporaryName < MAX_PATH) {
        return full;
    }
    if (full.size() >= 3 && IsLetter(full[0]) && full[1] == L':' && full[2] == L'\\') {
        return L"\\\\?\\" + full;
    }
    if (StartsWith(full, L"\\\\") && !StartsWith(full, L"\\\\?\\") && !StartsWith(full, L"\\\\.\\")) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return full;
}

} // namespace

std::wstring FullNativePath(const std::string& path, ErrorKind kind) {
    if (path.empty()) {
        throw Error(kind, "no file name was given");
    }
    const std::optional<std::wstring> wide = ExactWideFromUtf8(path);
    if (!wide || wide->find(L'\0') != std::wstring::npos) {
        throw Error(kind, path + ": the name is not valid UTF-8 text");
    }
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFullPathNameW(wide->c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) {
            throw FileError(kind, path, static_cast<int>(::GetLastError()));
        }
        // Too small a buffer: the length asked for counts the terminating NUL.
        if (length < full.size()) {
            full.resize(length);
            return LongPathForm(std::move(full));
        }
        full.resize(length);
    }
}

std::wstring RandomName(std::wstring_view prefix, int count) {
    static std::mt19937 random{std::random_device{}()};
    constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kLetters) - 2);
    std::wstring name(prefix);
    for (int i = 0; i < count; ++i) {
        name += kLetters[pick(random)];
    }
    return name;
}

std::wstring DirectoryPartOf(std::wstring_view path) {
    const std::size_t last = path.find_last_of(L"\\/");
    return std::wstring(last == std::wstring_view::npos ? std::wstring_view() : path.substr(0, last));
}

bool IsDevicePath(std::wstring_view fullPath) {
    if (!StartsWith(fullPath, L"\\\\.\\") && !StartsWith(fullPath, L"\\\\?\\")) {
        return false;
    }
    const std::wstring_view rest = fullPath.substr(4);
    const bool onDrive = rest.size() >= 3 && IsLetter(rest[0]) && rest[1] == L':' && rest[2] == L'\\';
    const bool onShare = rest.size() >= 4 && EqualsIgnoringCase(rest.substr(0, 4), L"UNC\\");
    return !onDrive && !onShare;
}

bool IsPassingError(unsigned long error) {
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_ACCESS_DENIED: // also what a file whose deletion is pending answers
    case ERROR_DELETE_PENDING:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
        return true;
    default:
        return false;
    }
}

BusyRetry::BusyRetry() : m_deadline(::GetTickCount64() + kTotalRetryMs) {}

bool BusyRetry::Wait() noexcept {
    const unsigned long long now = ::GetTickCount64();
    if (now >= m_deadline) {
        return false;
    }
    ::Sleep(static_cast<DWORD>(std::min<unsigned long long>(m_pause, m_deadline - now)));
    m_pause = std::min(m_pause * 2, kLongestPauseMs);
    return true;
}

TextStream FileSystemObject::OpenTextFile(const std::string& path) {
    const std::wstring full = FullNativePath(path, ErrorKind::CannotOpen);
    // A device is refused by its name, before it is opened: opening a pipe would connect to it, and reading a
    // console or a port would wait for input.
    if (IsDevicePath(full)) {
        throw Error(ErrorKind::CannotOpen, path + kNotRegular);
    }
    const DWORD attributes = ::GetFileAttributesW(full.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw Error(ErrorKind::CannotOpen, path + kNotRegular);
    }
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = 0;
    BusyRetry retry;
    do {
        file = OpenForReading(full);
        error = file == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
    } while (error != 0 && IsPassingError(error) && retry.Wait());
    if (file == INVALID_HANDLE_VALUE) {
        throw FileError(ErrorKind::CannotOpen, path, static_cast<int>(error));
    }
    if (!IsRegularFile(file)) {
        ::CloseHandle(file);
        throw Error(ErrorKind::CannotOpen, path + kNotRegular);
    }
    return TextStream(TextStream::Mode::Read, reinterpret_cast<TextStream::NativeFile>(file), path);
}

TextStream FileSystemObject::CreateTextFile(const std::string& path) {
    const std::wstring target = CheckedTarget(path, FullNativePath(path, ErrorKind::CannotWrite));

    const std::wstring directory = DirectoryPartOf(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Short and fixed in shape, so that the name fits wherever the target's name fits.
        const std::wstring tempPath = directory + L'\\' + RandomName(L".tarvenne-", 6);
        // Others may read it (a virus scanner looks at new files), but it is ours alone until it is in place.
        const HANDLE file = ::CreateFileW(tempPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
                continue;
            }
            throw FileError(ErrorKind::CannotWrite, path, static_cast<int>(error));
        }
        TextStream stream(TextStream::Mode::Write, reinterpret_cast<TextStream::NativeFile>(file),
                          Utf8FromWide(target));
        stream.m_tempPath = Utf8FromWide(tempPath);
        return stream;
    }
    throw FileError(ErrorKind::CannotWrite, path, ERROR_FILE_EXISTS);
}
