// File operations of TextStream over Windows handles: reading, and writing that puts a complete file in place of
// the old one.
#include "TextStream.h"

#include "Error.h"
#include "Unicode.h"
#include "Win32Files.h"

#include <algorithm>
#include <utility>
#include <windows.h>

namespace {

constexpr std::size_t kSlice = 1024 * 1024;

HANDLE HandleOf(TextStream::NativeFile file) {
    return reinterpret_cast<HANDLE>(file);
}

// Paths kept in the stream came from the system as UTF-16, so they go back exactly.
std::wstring Native(const std::string& path) {
    return WideFromUtf8(path);
}

// The path as the user wrote it in messages, without the long form's prefix.
std::string Shown(const std::string& path) {
    if (path.rfind("\\\\?\\UNC\\", 0) == 0) {
        return "\\\\" + path.substr(8);
    }
    if (path.rfind("\\\\?\\", 0) == 0) {
        return path.substr(4);
    }
    return path;
}

// The attributes a replaced file hands on to the file that takes its place. Not the archive bit: the content has
// changed, and backups look for exactly that bit.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr DWORD kSettableAttributes = kKeptAttributes | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY |
                                      FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_TEMPORARY;

// 0 when the file may be moved away now, else why not. ReplaceFileW would find that out too, but Wine's leaves an
// empty file (rf*.tmp) behind for every attempt on a file that another program holds.
DWORD MovableNow(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return ::GetLastError();
    }
    ::CloseHandle(file);
    return 0;
}

// ReplaceFileW carries the old file's attributes over on Windows; Wine's does not, so they are set again where
// they were lost. Only a courtesy: the new content is in place either way.
void KeepAttributes(const std::wstring& path, DWORD old) {
    const DWORD now = ::GetFileAttributesW(path.c_str());
    if (now == INVALID_FILE_ATTRIBUTES || (now & kKeptAttributes) == (old & kKeptAttributes)) {
        return;
    }
    const DWORD wanted = (now & kSettableAttributes & ~kKeptAttributes) | (old & kKeptAttributes);
    ::SetFileAttributesW(path.c_str(), wanted != 0 ? wanted : FILE_ATTRIBUTE_NORMAL);
}

// Puts the finished temporary file in the target's place, waiting briefly while another program holds either.
// Returns 0, ERROR_FILE_READ_ONLY for a target that became read-only meanwhile, or the system's error.
DWORD PutInPlace(const std::wstring& temp, const std::wstring& target) {
    BusyRetry retry;
    for (;;) {
        DWORD error = 0;
        const DWORD attributes = ::GetFileAttributesW(target.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (!::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                error = ::GetLastError();
            }
        } else if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            return ERROR_FILE_READ_ONLY;
        } else if ((error = MovableNow(target)) != 0) {
            // Held by another program: wait for it below.
        } else if (::ReplaceFileW(target.c_str(), temp.c_str(), nullptr, 0, nullptr, nullptr)) {
            KeepAttributes(target, attributes);
        } else {
            // If the old file went meanwhile (ERROR_FILE_NOT_FOUND), or went and the new one could not follow
            // (ERROR_UNABLE_TO_MOVE_REPLACEMENT), the next attempt moves the new file into the free place.
            error = ::GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
                error = ERROR_SHARING_VIOLATION;
            }
        }
        if (error == 0 || !IsPassingError(error) || !retry.Wait()) {
            return error;
        }
    }
}

} // namespace

void TextStream::Release() noexcept {
    if (m_file != kNoFile) {
        ::CloseHandle(HandleOf(std::exchange(m_file, kNoFile)));
    }
    if (m_mode == Mode::Write && !m_tempPath.empty()) {
        // A virus scanner may still be looking at the new file: wait for it as for the target.
        const std::wstring temp = Native(m_tempPath);
        BusyRetry retry;
        while (!::DeleteFileW(temp.c_str()) && IsPassingError(::GetLastError()) && retry.Wait()) {
        }
        m_tempPath.clear();
    }
    m_mode = Mode::Closed;
}

std::size_t TextStream::ReadSome(char* data, std::size_t size) {
    DWORD count = 0;
    if (!::ReadFile(HandleOf(m_file), data, static_cast<DWORD>(std::min(size, kSlice)), &count, nullptr)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE) {
            return 0;
        }
        throw FileError(ErrorKind::CannotOpen, Shown(m_path), static_cast<int>(error));
    }
    return count;
}

void TextStream::Write(std::string_view text) {
    if (m_mode != Mode::Write) {
        throw Error(ErrorKind::CannotWrite, Shown(m_path) + ": the stream is not open for writing");
    }
    // In slices: one WriteFile takes at most 4 GB.
    while (!text.empty()) {
        DWORD count = 0;
        if (!::WriteFile(HandleOf(m_file), text.data(), static_cast<DWORD>(std::min(text.size(), kSlice)), &count,
                         nullptr)) {
            throw FileError(ErrorKind::CannotWrite, Shown(m_path), static_cast<int>(::GetLastError()));
        }
        if (count == 0) {
            throw FileError(ErrorKind::CannotWrite, Shown(m_path), ERROR_WRITE_FAULT);
        }
        m_written += count;
        text.remove_prefix(count);
    }
}

void TextStream::Close() {
    if (m_mode != Mode::Write) {
        Release();
        return;
    }
    // Any failure below leaves the target untouched: Release removes the temporary file.
    if (!::FlushFileBuffers(HandleOf(m_file)) || !::CloseHandle(HandleOf(std::exchange(m_file, kNoFile)))) {
        const DWORD error = ::GetLastError();
        Release();
        throw FileError(ErrorKind::CannotWrite, Shown(m_path), static_cast<int>(error));
    }
    const DWORD error = PutInPlace(Native(m_tempPath), Native(m_path));
    if (error != 0) {
        Release();
        if (error == ERROR_FILE_READ_ONLY) {
            throw Error(ErrorKind::CannotWrite, Shown(m_path) + kReadOnlyReason);
        }
        throw FileError(ErrorKind::CannotWrite, Shown(m_path), static_cast<int>(error));
    }
    m_tempPath.clear();
    m_mode = Mode::Closed;
}
