// The files of a Windows system, over the W functions: input read through one handle that others may share; output
// written into a new file beside its target, deleted by the system if the program ends first, made durable, and only
// then put in the target's place.
#include "FileSystemObject.h"

#include "Error.h"
#include "Unicode.h"
#include "Win32Paths.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <random>
#include <utility>
#include <windows.h>

namespace {

constexpr const char* kNotRegular = ": not a regular file";
constexpr const char* kReadOnly = ": the file is read-only";
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// One ReadFile or WriteFile moves at most 4 GB: the bytes go in slices.
constexpr std::size_t kSlice = 1024 * 1024;

using Handle = std::unique_ptr<void, decltype([](HANDLE handle) { ::CloseHandle(handle); })>;

Handle Own(HANDLE handle) {
    return Handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// A full path on a drive, C:\x.
bool IsDrivePath(std::wstring_view path) {
    return path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

// The errors of a file that another program (a virus scanner, the indexer, a backup) holds for a moment, or whose
// deletion is pending (that answers ERROR_ACCESS_DENIED too): worth another try.
bool IsPassingError(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_DELETE_PENDING || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// Paces the attempts of one operation on a file another program may hold: about a second in all, in pauses growing
// from a few milliseconds, so that a brief hold costs little and a lasting one fails soon.
class BusyRetry {
public:
    // After a pause, true when the error passes and there is time for another attempt.
    bool Wait(DWORD error) {
        const ULONGLONG now = ::GetTickCount64();
        if (!IsPassingError(error) || now >= m_deadline) {
            return false;
        }
        ::Sleep(static_cast<DWORD>(std::min<ULONGLONG>(m_pause, m_deadline - now)));
        m_pause = std::min<DWORD>(m_pause * 2, 200);
        return true;
    }

private:
    ULONGLONG m_deadline = ::GetTickCount64() + 1000;
    DWORD m_pause = 10;
};

// A path the system writes into a buffer, which has room for the longest path it takes; nothing when the call fails.
template <typename Call> std::optional<std::wstring> SystemPath(Call call) {
    std::wstring text(32768, L'\0');
    const DWORD length = call(text.data(), static_cast<DWORD>(text.size()));
    if (length == 0 || length >= text.size()) {
        return std::nullopt;
    }
    text.resize(length);
    return text;
}

// Beyond MAX_PATH the system takes a full path only in its long form (\\?\C:\..., \\?\UNC\server\...); it starts a
// little before, as the temporary file's name may be longer than the target's.
std::wstring LongPathForm(std::wstring full) {
    constexpr std::size_t kRoomForTheTemporaryName = 20;
    if (full.size() + kRoomForTheTemporaryName < MAX_PATH) {
        return full;
    }
    if (IsDrivePath(full)) {
        return L"\\\\?\\" + full;
    }
    if (full.starts_with(L"\\\\") && !full.starts_with(L"\\\\?\\") && !full.starts_with(L"\\\\.\\")) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return full;
}

// The full UTF-16 path of a UTF-8 path. Raises kind for an empty name, one that is not valid UTF-8 or holds a NUL (it
// would name another file), or one the system cannot make full.
std::wstring FullNativePath(const std::string& path, ErrorKind kind) {
    if (path.empty()) {
        throw Error(kind, "no file name was given");
    }
    const std::optional<std::wstring> wide = ExactWideFromUtf8(path);
    if (!wide || wide->find(L'\0') != std::wstring::npos) {
        throw Error(kind, path + ": the name is not valid UTF-8 text");
    }
    std::optional<std::wstring> full = SystemPath(
        [&](wchar_t* buffer, DWORD size) { return ::GetFullPathNameW(wide->c_str(), size, buffer, nullptr); });
    if (!full) {
        throw FileError(kind, path, static_cast<int>(::GetLastError()));
    }
    return LongPathForm(std::move(*full));
}

// Opened for no access, which no other program's sharing refuses, only to ask what the file (or folder) is.
Handle OpenForNoAccess(const std::wstring& path) {
    return Own(::CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// True when the handle is a file on a disk and not a folder; info then holds what the system knows of it.
bool IsRegularFile(HANDLE file, BY_HANDLE_FILE_INFORMATION& info) {
    return ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The full path of the file the output replaces; refuses a device, a folder or a read-only file. A symbolic link is
// followed, so the file it points to is replaced and the link stays; a missing or busy target is left to Commit.
std::wstring CheckedTarget(const std::string& path) {
    const std::wstring target = FullNativePath(path, ErrorKind::CannotWrite);
    if (IsDevicePath(target)) {
        throw Error(ErrorKind::CannotWrite, path + kNotRegular);
    }
    const Handle file = OpenForNoAccess(target);
    if (!file) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || IsPassingError(error)) {
            return target;
        }
        throw FileError(ErrorKind::CannotWrite, path, static_cast<int>(error));
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!IsRegularFile(file.get(), info)) {
        throw Error(ErrorKind::CannotWrite, path + kNotRegular);
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        throw Error(ErrorKind::CannotWrite, path + kReadOnly);
    }
    // Only a link is resolved: other reparse points (cloud placeholders, deduplicated files) name themselves.
    const DWORD own = ::GetFileAttributesW(target.c_str());
    if (own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        if (std::optional<std::wstring> final = SystemPath([&](wchar_t* buffer, DWORD size) {
                return ::GetFinalPathNameByHandleW(file.get(), buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
            })) {
            return *final;
        }
    }
    return target;
}

// Sets again the old file's attributes that Wine's ReplaceFileW does not carry over (Windows' does); only a courtesy.
// Not the archive bit: the content has changed, and backups look for exactly that bit.
void KeepAttributes(const std::wstring& path, DWORD old) {
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    constexpr DWORD kSettable =
        kKept | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_TEMPORARY;
    const DWORD now = ::GetFileAttributesW(path.c_str());
    if (now == INVALID_FILE_ATTRIBUTES || (now & kKept) == (old & kKept)) {
        return;
    }
    const DWORD wanted = (now & kSettable & ~kKept) | (old & kKept);
    ::SetFileAttributesW(path.c_str(), wanted != 0 ? wanted : FILE_ATTRIBUTE_NORMAL);
}

class Win32Reader : public FileReader {
public:
    Win32Reader(Handle file, std::string path) : m_file(std::move(file)), m_path(std::move(path)) {}

    std::size_t ReadSome(char* data, std::size_t size) override {
        DWORD count = 0;
        if (!::ReadFile(m_file.get(), data, static_cast<DWORD>(std::min(size, kSlice)), &count, nullptr)) {
            Fail();
        }
        return count;
    }

    void Rewind() override {
        if (!::SetFilePointerEx(m_file.get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN)) {
            Fail();
        }
    }

    FileStamp Stamp() override {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!::GetFileInformationByHandle(m_file.get(), &info)) {
            Fail();
        }
        const FILETIME& written = info.ftLastWriteTime;
        return {(std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow,
                static_cast<std::int64_t>((std::uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime)};
    }

private:
    [[noreturn]] void Fail() const {
        throw FileError(ErrorKind::CannotOpen, m_path, static_cast<int>(::GetLastError()));
    }

    Handle m_file;
    std::string m_path;
};

class Win32Writer : public FileWriter {
public:
    // target is the full path of the file to replace or create; path is how the caller named it, for messages.
    Win32Writer(std::wstring target, std::string path) : m_target(std::move(target)), m_path(std::move(path)) {
        static std::mt19937 random{std::random_device{}()};
        for (int attempt = 0; !m_file; ++attempt) {
            // Short, so that the name fits wherever the target's name fits (see LongPathForm).
            m_temp = DirectoryPartOf(m_target) + L"\\.tarvenne-" + std::to_wstring(random() % 1000000);
            // Others may read it (a virus scanner looks at new files), but it is ours alone until it is in place.
            m_file = Own(::CreateFileW(m_temp.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
            const DWORD error = m_file ? 0 : ::GetLastError();
            if (error != 0 && ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 99)) {
                throw FileError(ErrorKind::CannotWrite, m_path, static_cast<int>(error));
            }
        }
        // Marked for deletion: however the program ends before the file is in place (End task, a crash), the system
        // deletes it with the program's handles. Where the file system cannot mark it, the destructor deletes it.
        m_marked = MarkForDeletion(true);
    }

    ~Win32Writer() override {
        m_file.reset();
        if (!m_marked && !m_temp.empty()) {
            // A virus scanner may still be looking at the new file: wait for it as for the target.
            BusyRetry retry;
            while (!::DeleteFileW(m_temp.c_str()) && retry.Wait(::GetLastError())) {
            }
        }
    }

    void Write(std::string_view bytes) override {
        while (!bytes.empty()) {
            DWORD count = 0;
            if (!::WriteFile(m_file.get(), bytes.data(), static_cast<DWORD>(std::min(bytes.size(), kSlice)), &count,
                             nullptr)) {
                throw FileError(ErrorKind::CannotWrite, m_path, static_cast<int>(::GetLastError()));
            }
            if (count == 0) {
                throw FileError(ErrorKind::CannotWrite, m_path, ERROR_WRITE_FAULT);
            }
            bytes.remove_prefix(count);
        }
    }

    std::string Commit() override {
        if (!::FlushFileBuffers(m_file.get())) {
            throw FileError(ErrorKind::CannotWrite, m_path, static_cast<int>(::GetLastError()));
        }
        BusyRetry retry;
        for (;;) {
            const DWORD error = PutInPlace();
            if (error == 0) {
                return {};
            }
            if (error == ERROR_FILE_READ_ONLY) {
                throw Error(ErrorKind::CannotWrite, m_path + kReadOnly);
            }
            if (!retry.Wait(error)) {
                throw FileError(ErrorKind::CannotWrite, m_path, static_cast<int>(error));
            }
        }
    }

private:
    bool MarkForDeletion(bool marked) {
        FILE_DISPOSITION_INFO info{static_cast<BOOLEAN>(marked)};
        return ::SetFileInformationByHandle(m_file.get(), FileDispositionInfo, &info, sizeof info) != 0;
    }

    // One attempt at putting the file in the target's place: ReplaceFileW, keeping the old file's attributes and
    // security, or a move to a new name. Returns 0, ERROR_FILE_READ_ONLY or the system's error. The file stays
    // marked for deletion until the target is free, and is marked again when the attempt fails.
    DWORD PutInPlace() {
        const DWORD attributes = ::GetFileAttributesW(m_target.c_str());
        const bool replacing = attributes != INVALID_FILE_ATTRIBUTES;
        if (replacing && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            return ERROR_FILE_READ_ONLY;
        }
        // Not left to ReplaceFileW: on a held target, Wine's leaves an empty rf*.tmp behind at every attempt.
        if (replacing && !Own(::CreateFileW(m_target.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr))) {
            return ::GetLastError();
        }
        // ReplaceFileW opens the new file for itself alone: it must be closed, and no longer marked.
        if (m_marked && !MarkForDeletion(false)) {
            return ::GetLastError();
        }
        m_marked = false;
        m_file.reset();
        if (replacing
                ? ::ReplaceFileW(m_target.c_str(), m_temp.c_str(), nullptr, 0, nullptr, nullptr)
                : ::MoveFileExW(m_temp.c_str(), m_target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            if (replacing) {
                KeepAttributes(m_target, attributes);
            }
            m_temp.clear();
            return 0;
        }
        DWORD error = ::GetLastError();
        // The old file went meanwhile (ERROR_FILE_NOT_FOUND), or went and the new one could not follow
        // (ERROR_UNABLE_TO_MOVE_REPLACEMENT): the next attempt moves the new file into the free place.
        if (replacing && (error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT)) {
            error = ERROR_SHARING_VIOLATION;
        }
        m_file = Own(::CreateFileW(m_temp.c_str(), DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        m_marked = m_file && MarkForDeletion(true);
        return error;
    }

    std::wstring m_target;
    std::string m_path;
    std::wstring m_temp; // the new file's path while it is not in place
    Handle m_file;
    bool m_marked = false; // the system deletes the new file when m_file closes
};

class Win32Files : public FileSystemObject {
public:
    TextStream OpenTextFile(const std::string& path) override {
        const std::wstring full = FullNativePath(path, ErrorKind::CannotOpen);
        // A device is refused by its name: opening a pipe would connect to it, reading a console or port would wait.
        if (IsDevicePath(full)) {
            throw Error(ErrorKind::CannotOpen, path + kNotRegular);
        }
        // Others may go on reading, writing and deleting the file, as with any editor's open file. A folder opens too,
        // and is turned down below.
        Handle file;
        BusyRetry retry;
        while (!(file = Own(::CreateFileW(full.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr)))) {
            const DWORD error = ::GetLastError();
            if (!retry.Wait(error)) {
                throw FileError(ErrorKind::CannotOpen, path, static_cast<int>(error));
            }
        }
        BY_HANDLE_FILE_INFORMATION info{};
        if (!IsRegularFile(file.get(), info)) {
            throw Error(ErrorKind::CannotOpen, path + kNotRegular);
        }
        return TextStream(std::make_unique<Win32Reader>(std::move(file), path), path);
    }

    TextStream CreateTextFile(const std::string& path) override {
        return TextStream(std::make_unique<Win32Writer>(CheckedTarget(path), path), path);
    }

    bool FolderExists(const std::string& path) override {
        try {
            const DWORD attributes = ::GetFileAttributesW(FullNativePath(path, ErrorKind::CannotOpen).c_str());
            return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        } catch (const Error&) {
            return false;
        }
    }

    bool SameFile(const std::string& first, const std::string& second) override {
        const std::optional<std::pair<DWORD, std::uint64_t>> id = IdOf(first);
        return id && id == IdOf(second);
    }

    std::string FullPath(const std::string& path) override {
        const std::optional<std::wstring> wide = ExactWideFromUtf8(path);
        if (path.empty() || !wide) {
            return path;
        }
        const std::optional<std::wstring> full = SystemPath(
            [&](wchar_t* buffer, DWORD size) { return ::GetFullPathNameW(wide->c_str(), size, buffer, nullptr); });
        return full ? Utf8FromWide(*full) : path;
    }

private:
    // The volume and the number of the file a path names, or nothing for a device or a name that names nothing.
    static std::optional<std::pair<DWORD, std::uint64_t>> IdOf(const std::string& path) {
        try {
            const std::wstring full = FullNativePath(path, ErrorKind::CannotOpen);
            BY_HANDLE_FILE_INFORMATION info{};
            const Handle file = IsDevicePath(full) ? nullptr : OpenForNoAccess(full);
            if (!file || !::GetFileInformationByHandle(file.get(), &info)) {
                return std::nullopt;
            }
            return std::pair{info.dwVolumeSerialNumber,
                             (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
        } catch (const Error&) {
            return std::nullopt;
        }
    }
};

} // namespace

std::wstring DirectoryPartOf(std::wstring_view path) {
    const std::size_t last = path.find_last_of(L"\\/");
    return std::wstring(last == std::wstring_view::npos ? std::wstring_view() : path.substr(0, last));
}

bool IsDevicePath(std::wstring_view fullPath) {
    if (!fullPath.starts_with(L"\\\\.\\") && !fullPath.starts_with(L"\\\\?\\")) {
        return false;
    }
    const std::wstring_view rest = fullPath.substr(4);
    const bool onShare = rest.size() >= 4 && ::CompareStringOrdinal(rest.data(), 4, L"UNC\\", 4, TRUE) == CSTR_EQUAL;
    return !IsDrivePath(rest) && !onShare;
}

FileSystemObject& SystemFiles() {
    static Win32Files files;
    return files;
}
