// File operations of TextStream over POSIX file descriptors: reading, and replace-on-close writing.
#include "TextStream.h"

#include "Error.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::size_t kWriteSlice = 1024 * 1024;

int Descriptor(TextStream::NativeFile file) {
    return static_cast<int>(file);
}

} // namespace

void TextStream::Release() noexcept {
    if (m_file != kNoFile) {
        ::close(Descriptor(std::exchange(m_file, kNoFile)));
    }
    if (m_mode == Mode::Write && !m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
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
    // being copied and Close has less left to wait for.
    while (!text.empty()) {
        const ssize_t count = ::write(Descriptor(m_file), text.data(), std::min(text.size(), kWriteSlice));
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(ErrorKind::CannotWrite, m_path, errno);
        }
        ::sync_file_range(Descriptor(m_file), static_cast<off_t>(m_written), count, SYNC_FILE_RANGE_WRITE);
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
    if (::fchmod(Descriptor(m_file), static_cast<mode_t>(m_keep)) != 0 || ::fsync(Descriptor(m_file)) != 0) {
        const int error = errno;
        Release();
        throw FileError(ErrorKind::CannotWrite, m_path, error);
    }
    const int fd = Descriptor(std::exchange(m_file, kNoFile));
    if (::close(fd) != 0 || ::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
        const int error = errno;
        Release();
        throw FileError(ErrorKind::CannotWrite, m_path, error);
    }
    m_tempPath.clear();
    m_mode = Mode::Closed;
}
