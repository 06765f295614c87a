// File operations of TextStream over POSIX file descriptors: reading, and replace-on-close writing.
#include "TextStream.h"

#include "EndSignals.h"
#include "Error.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::size_t kWriteSlice = 1024 * 1024;

int Descriptor(TextStream::NativeFile file) {
    return static_cast<int>(file);
}

std::string DirectoryOf(const std::string& path) {
    const std::string directory = std::filesystem::path(path).parent_path().string();
    return directory.empty() ? "." : directory;
}

// Gives the unnamed file fd a fresh name in directory and returns it. Linking cannot replace a file, so the name is
// a new one that the caller renames over the target.
std::string LinkUnnamedFile(int fd, const std::string& directory, const std::string& path) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6] = {};
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
            throw FileError(ErrorKind::CannotWrite, path, errno);
        }
        std::string name = directory + "/.tarvenne-";
        for (const unsigned char byte : random) {
            name += kLetters[byte % (sizeof kLetters - 1)];
        }
        // Through /proc for any user; without /proc, by the descriptor itself, which needs more privilege.
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
            (errno == ENOENT && ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0)) {
            return name;
        }
        if (errno != EEXIST) {
            throw FileError(ErrorKind::CannotWrite, path, errno);
        }
    }
    throw FileError(ErrorKind::CannotWrite, path, EEXIST);
}

// After a rename, the directory entry is on the disk only once the directory itself is synced. A directory that
// cannot be opened for it, or a file system that does not sync directories, is left as it is.
void SyncDirectory(const std::string& directory, const std::string& path) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    const int result = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (result != 0 && error != EINVAL && error != EROFS) {
        throw FileError(ErrorKind::CannotWrite, path, error);
    }
}

} // namespace

void TextStream::Release() noexcept {
    if (m_file != kNoFile) {
        ::close(Descriptor(std::exchange(m_file, kNoFile)));
    }
    if (m_mode == Mode::Write && !m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        EndSignals::Forget(m_tempPath);
    }
    m_mode = Mode::Closed;
}

std::size_t TextStream::ReadSome(char* data, std::size_t size) {
    for (;;) {
        const ssize_t count = ::read(Descriptor(m_file), data, size);
        if (count >= 0) {
            return static_cast<std::size_t>(count);
        }
        if (errno != EINTR) {
            throw FileError(ErrorKind::CannotOpen, m_path, errno);
        }
    }
}

void TextStream::Write(std::string_view text) {
    if (m_mode != Mode::Write) {
        throw Error(ErrorKind::CannotWrite, m_path + ": the stream is not open for writing");
    }
    // In slices, each handed to the disk as soon as it is written, so that the disk works while the rest is still
    // being copied and Close has less left to wait for. A text of one slice or less goes to the disk at Close.
    const bool handOnEarly = text.size() > kWriteSlice;
    while (!text.empty()) {
        const ssize_t count = ::write(Descriptor(m_file), text.data(), std::min(text.size(), kWriteSlice));
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(ErrorKind::CannotWrite, m_path, errno);
        }
        if (handOnEarly) {
            ::sync_file_range(Descriptor(m_file), static_cast<off_t>(m_written), count, SYNC_FILE_RANGE_WRITE);
        }
        m_written += static_cast<std::size_t>(count);
        text.remove_prefix(static_cast<std::size_t>(count));
    }
}

void TextStream::Close() {
    if (m_mode != Mode::Write) {
        Release();
        return;
    }
    // Any failure below leaves the target untouched: Release removes the temporary file.
    const int fd = Descriptor(m_file);
    if (::fchmod(fd, static_cast<mode_t>(m_keep)) != 0 || ::fsync(fd) != 0) {
        const int error = errno;
        Release();
        throw FileError(ErrorKind::CannotWrite, m_path, error);
    }
    const std::string directory = DirectoryOf(m_path);
    {
        // The complete file takes the target's place in one step that no signal comes between, so that a signal
        // leaves either the old file or the new one, and no temporary name.
        const EndSignals::Hold hold;
        const bool named = !m_tempPath.empty();
        try {
            if (!named) {
                m_tempPath = LinkUnnamedFile(fd, directory, m_path);
            }
        } catch (const Error&) {
            Release();
            throw;
        }
        if (::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
            const int error = errno;
            Release();
            throw FileError(ErrorKind::CannotWrite, m_path, error);
        }
        if (named) {
            EndSignals::Forget(m_tempPath);
        }
        m_tempPath.clear();
    }
    // The data is on the disk already: closing cannot lose any of it.
    ::close(Descriptor(std::exchange(m_file, kNoFile)));
    m_mode = Mode::Closed;
    SyncDirectory(directory, m_path);
}
