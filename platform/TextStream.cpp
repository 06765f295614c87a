// Buffered line reading, shared by every system; the file operations themselves live in each system's folder.
#include "TextStream.h"

#include "Error.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Reading starts with a small buffer, so that a small file costs little, and doubles it with every read up to the
// size that reads a large file in few, large pieces.
constexpr std::size_t kInitialBufferSize = 4 * 1024;
constexpr std::size_t kFullBufferSize = 256 * 1024;
// Room for the longest line, its line break and one more read. A buffer that doubles past the longest line goes
// straight to this size, so that it is never moved once more for a few bytes.
constexpr std::size_t kLargestBufferSize = TextStream::kLongestLine + kFullBufferSize;

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

TextStream::TextStream(Mode mode, NativeFile file, std::string path)
    : m_mode(mode), m_file(file), m_path(std::move(path)) {
    if (m_mode == Mode::Read) {
        m_buffer.resize(kInitialBufferSize);
    }
}

TextStream::TextStream(TextStream&& other) noexcept
    : m_mode(std::exchange(other.m_mode, Mode::Closed)), m_file(std::exchange(other.m_file, kNoFile)),
      m_path(std::move(other.m_path)), m_tempPath(std::move(other.m_tempPath)), m_keep(other.m_keep),
      m_written(other.m_written), m_buffer(std::move(other.m_buffer)), m_begin(other.m_begin), m_end(other.m_end),
      m_eof(other.m_eof) {}

TextStream::~TextStream() {
    Release();
}

// Reads more of the file behind the unread bytes, moving them to the front and growing the buffer for a line
// longer than it. Returns false at the end of the file.
bool TextStream::Fill() {
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_end == m_buffer.size() || m_buffer.size() < kFullBufferSize) {
        const std::size_t doubled = m_buffer.size() * 2;
        m_buffer.resize(doubled >= kLongestLine ? kLargestBufferSize : doubled);
    }
    const std::size_t count = ReadSome(m_buffer.data() + m_end, m_buffer.size() - m_end);
    if (count == 0) {
        m_eof = true;
        return false;
    }
    m_end += count;
    return true;
}

void TextStream::CheckLineLength(std::size_t length) const {
    if (length > kLongestLine) {
        throw Error(ErrorKind::LineTooLong,
                    m_path + ": a line is longer than " + std::to_string(kLongestLine / (1024 * 1024)) + " MiB");
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
            // Unread bytes without a line break: a line that is already too long is refused before the buffer grows
            // for more of it.
            CheckLineLength(m_end - m_begin);
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
        CheckLineLength(lineEnd - m_begin);
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
