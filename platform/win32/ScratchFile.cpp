// The scratch file on Windows: a temporary file in the user's temporary folder that the system deletes when its
// one handle is closed, also when the program is ended by force.
#include "ScratchFile.h"

#include "Error.h"
#include "Unicode.h"
#include "Win32Files.h"

#include <algorithm>
#include <windows.h>

namespace {

// One WriteFile or ReadFile takes at most 4 GB.
constexpr std::size_t kLargestCall = 1U << 30;

HANDLE HandleOf(std::intptr_t file) {
    return reinterpret_cast<HANDLE>(file);
}

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED overlapped{};
    overlapped.Offset = static_cast<DWORD>(offset);
    overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return overlapped;
}

} // namespace

ScratchFile::ScratchFile() : m_file(reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE)) {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) {
        throw FileError(ErrorKind::CannotWrite, "no scratch file for the output could be made (the temporary folder)",
                        static_cast<int>(::GetLastError()));
    }
    std::wstring directory(folder, length);
    while (directory.size() > 3 && directory.back() == L'\\') {
        directory.pop_back();
    }
    m_place = Utf8FromWide(directory);
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS); ++attempt) {
        const std::wstring path = directory + L'\\' + RandomName(L"tarvenne-", 8) + L".tmp";
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            m_file = reinterpret_cast<std::intptr_t>(file);
            return;
        }
        error = ::GetLastError();
    }
    throw Error(ErrorKind::CannotWrite, "no scratch file for the output could be made (" + m_place + ": " +
                                            SystemReason(static_cast<int>(error)) + ")");
}

ScratchFile::~ScratchFile() {
    ::CloseHandle(HandleOf(m_file));
}

void ScratchFile::Append(std::string_view data) {
    while (!data.empty()) {
        OVERLAPPED at = At(m_size);
        DWORD count = 0;
        if (!::WriteFile(HandleOf(m_file), data.data(), static_cast<DWORD>(std::min(data.size(), kLargestCall)), &count,
                         &at)) {
            throw FileError(ErrorKind::CannotWrite, "the scratch file for the output in " + m_place,
                            static_cast<int>(::GetLastError()));
        }
        if (count == 0) {
            throw FileError(ErrorKind::CannotWrite, "the scratch file for the output in " + m_place, ERROR_WRITE_FAULT);
        }
        m_size += count;
        data.remove_prefix(count);
    }
}

std::size_t ScratchFile::ReadAt(std::uint64_t offset, char* data, std::size_t size) const {
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED at = At(offset + done);
        DWORD count = 0;
        if (!::ReadFile(HandleOf(m_file), data + done, static_cast<DWORD>(std::min(size - done, kLargestCall)), &count,
                        &at)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_HANDLE_EOF) {
                break;
            }
            throw FileError(ErrorKind::CannotWrite, "the scratch file for the output in " + m_place,
                            static_cast<int>(error));
        }
        if (count == 0) {
            break;
        }
        done += count;
    }
    return done;
}
