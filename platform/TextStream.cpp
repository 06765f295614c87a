// Buffered line reading and replace-on-close writing over POSIX file descriptors.
#include "TextStream.h"

#include "Error.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr std::size_t kInitialBufferSize = 256 * 1024;
constexpr std::size_t kWriteSlice = 1024 * 1024;

// First CR or LF in [p, end), or end. Sixteen bytes at a time where the processor allows it: this search is most
// of the work of reading a file.
const char* FindLineBreak(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    while (end - p >= 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int found = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, lf), _mm_cmpeq_epi8(chunk, cr)));
        if (found != 0) {
            return p + std::countr_zero(static_cast<unsigned>(found));
        }
        p += 16;
    }
#endif
    while (p != end && *p != '\n' && *p != '\r') {
        ++p;
    }
    return p;
}

} // namespace

TextStream::TextStream(Mode mode, int fd, std::string path) : m_mode(mode), m_fd(fd), m_path(std::move(path)) {
    if (m_mode == Mode::Read) {
        m_buffer.resize(kInitialBufferSize);
    }
}

TextStream::TextStream(TextStream&& other) noexcept
    : m_mode(std::exchange(other.m_mode, Mode::Closed)), m_fd(std::exchange(other.m_fd, -1)),
      m_path(std::move(other.m_path)), m_tempPath(std::move(other.m_tempPath)), m_permissions(other.m_permissions),
      m_written(other.m_written), m_buffer(std::move(other.m_buffer)), m_begin(other.m_begin), m_end(other.m_end),
      m_eof(other.m_eof) {}

TextStream::~TextStream() {
    Release();
}

void TextStream::Release() noexcept {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_mode == Mode::Write && !m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
    }
    m_mode = Mode::Closed;
}

// Reads more of the file behind the unread bytes, moving them to the front and growing the buffer for a line
// longer than it. Returns false at the end of the file.
bool TextStream::Fill() {
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_end == m_buffer.size()) {
        m_buffer.resize(m_buffer.size() * 2);
    }
    for (;;) {
        const ssize_t count = ::read(m_fd, m_buffer.data() + m_end, m_buffer.size() - m_end);
        if (count > 0) {
            m_end += static_cast<std::size_t>(count);
            return true;
        }
        if (count == 0) {
            m_eof = true;
            return false;
        }
        if (errno != EINTR) {
            throw FileError(ErrorKind::CannotOpen, m_path, errno);
        }
    }
}

std::string_view TextStream::NextLine() {
    if (m_mode != Mode::Read) {
        throw Error(ErrorKind::EndOfStream, "the stream is not open for reading");
    }
    std::size_t scan = m_begin;
    for (;;) {
        const char* data = m_buffer.data();
        const char* lineBreak = FindLineBreak(data + scan, data + m_end);
        if (lineBreak == data + m_end) {
            if (m_eof) {
                if (m_begin == m_end) {
                    throw Error(ErrorKind::EndOfStream, "end of file");
                }
                const std::string_view line(data + m_begin, m_end - m_begin);
                m_begin = m_end;
                return line;
            }
            const std::size_t scanned = m_end - m_begin;
            Fill();
            scan = m_begin + scanned;
            continue;
        }
        const std::size_t lineEnd = static_cast<std::size_t>(lineBreak - data);
        if (*lineBreak == '\r' && lineEnd + 1 == m_end && !m_eof) {
            // Whether this CR is part of a CR LF depends on the byte that has not been read yet.
            const std::size_t scanned = lineEnd - m_begin;
            Fill();
            scan = m_begin + scanned;
            continue;
        }
        std::size_t next = lineEnd + 1;
        if (*lineBreak == '\r' && next < m_end && data[next] == '\n') {
            ++next;
        }
        const std::string_view line(data + m_begin, lineEnd - m_begin);
        m_begin = next;
        return line;
    }
}

bool TextStream::AtEndOfStream() {
    if (m_mode != Mode::Read) {
        return true;
    }
    while (m_begin == m_end && !m_eof) {
        Fill();
    }
    return m_begin == m_end;
}

void TextStream::SkipLine() {
    NextLine();
}

std::string TextStream::ReadLine() {
    return std::string(NextLine());
}

std::string_view TextStream::ReadLineView() {
    return NextLine();
}

void TextStream::Write(std::string_view text) {
    if (m_mode != Mode::Write) {
        throw Error(ErrorKind::CannotWrite, m_path + ": the stream is not open for writing");
    }
    // In slices, each handed to the disk as soon as it is written, so that the disk works while the rest is still
    // being copied and Close has less left to wait for.
    while (!text.empty()) {
        const ssize_t count = ::write(m_fd, text.data(), std::min(text.size(), kWriteSlice));
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(ErrorKind::CannotWrite, m_path, errno);
        }
        ::sync_file_range(m_fd, static_cast<off_t>(m_written), count, SYNC_FILE_RANGE_WRITE);
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
    if (::fchmod(m_fd, static_cast<mode_t>(m_permissions)) != 0 || ::fsync(m_fd) != 0) {
        const int error = errno;
        Release();
        throw FileError(ErrorKind::CannotWrite, m_path, error);
    }
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0 || ::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
        const int error = errno;
        Release();
        throw FileError(ErrorKind::CannotWrite, m_path, error);
    }
    m_tempPath.clear();
    m_mode = Mode::Closed;
}
