// Buffered line reading and writing, the same on every system; the file operations come from the file system that
// opened the stream.
#include "TextStream.h"

#include "Error.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Reading starts with a small buffer, so that a small file costs little, and doubles it with every read up to the
// size that reads a large file in few, large pieces.
constexpr std::size_t kInitialBufferSize = 4 * 1024;
constexpr std::size_t kFullBufferSize = 256 * 1024;
// Room for the longest line, its line break and one more read. A buffer that doubles past the longest line goes
// straight to this size, so that it is never moved once more for a few bytes.
constexpr std::size_t kLargestBufferSize = TextStream::kLongestLine + kFullBufferSize;

// First CR in [p, lf), or lf.
const char* FindLineBreak(const char* p, const char* lf) {
    const void* cr = std::memchr(p, '\r', static_cast<std::size_t>(lf - p));
    return cr != nullptr ? static_cast<const char*>(cr) : lf;
}

} // namespace

TextStream::TextStream(std::unique_ptr<FileReader> reader, std::string path)
    : m_reader(std::move(reader)), m_path(std::move(path)), m_buffer(kInitialBufferSize) {}

TextStream::TextStream(std::unique_ptr<FileWriter> writer, std::string path)
    : m_writer(std::move(writer)), m_path(std::move(path)) {}

FileReader& TextStream::Reader() {
    if (!m_reader) {
        throw Error(ErrorKind::EndOfStream, m_path + ": the stream is not open for reading");
    }
    return *m_reader;
}

// Reads more of the file behind the unread bytes, moving them to the front and growing the buffer for a line
// longer than it. Called only before the end of the file, which a read of nothing marks.
void TextStream::Fill() {
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_lf -= std::min(m_lf, m_begin);
        m_begin = 0;
    }
    if (m_end == m_buffer.size() || m_buffer.size() < kFullBufferSize) {
        const std::size_t doubled = m_buffer.size() * 2;
        m_buffer.resize(doubled >= kLongestLine ? kLargestBufferSize : doubled);
    }
    const std::size_t count = Reader().ReadSome(m_buffer.data() + m_end, m_buffer.size() - m_end);
    m_digest.Add(std::string_view(m_buffer.data() + m_end, count));
    m_end += count;
    m_eof = count == 0;
}

// The first LF at or after from, or m_end. No LF stands between from and m_lf when m_lf is past from: each byte is
// searched once, however many lone CRs end lines before the next LF.
std::size_t TextStream::FindLf(std::size_t from) {
    const std::size_t start = std::max(m_lf, from);
    const void* lf = std::memchr(m_buffer.data() + start, '\n', m_end - start);
    m_lf = lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - m_buffer.data()) : m_end;
    return m_lf;
}

void TextStream::CheckLineLength(std::size_t length) const {
    if (length > kLongestLine) {
        throw Error(ErrorKind::LineTooLong,
                    m_path + ": a line is longer than " + std::to_string(kLongestLine / (1024 * 1024)) + " MiB");
    }
}

std::string_view TextStream::ReadLineView() {
    Reader();
    std::size_t scan = m_begin;
    for (;;) {
        const char* data = m_buffer.data();
        const char* lineBreak = FindLineBreak(data + scan, data + FindLf(scan));
        const std::size_t lineEnd = static_cast<std::size_t>(lineBreak - data);
        // A line that is already too long is refused before the buffer grows for more of it.
        CheckLineLength(lineEnd - m_begin);
        // A CR as the last byte read may be the first half of a CR LF that has not been read yet.
        const bool lineEnds = lineEnd < m_end && (*lineBreak == '\n' || lineEnd + 1 < m_end);
        if (lineEnds || m_eof) {
            if (m_begin == m_end) {
                throw Error(ErrorKind::EndOfStream, m_path + ": end of file");
            }
            std::size_t next = std::min(lineEnd + 1, m_end);
            if (next < m_end && *lineBreak == '\r' && data[next] == '\n') {
                ++next;
            }
            const std::string_view line(data + m_begin, lineEnd - m_begin);
            m_begin = next;
            return line;
        }
        const std::size_t scanned = lineEnd - m_begin;
        Fill();
        scan = m_begin + scanned;
    }
}

bool TextStream::AtEndOfStream() {
    if (!m_reader) {
        return true;
    }
    while (m_begin == m_end && !m_eof) {
        Fill();
    }
    return m_begin == m_end;
}

void TextStream::Rewind() {
    Reader().Rewind();
    m_begin = m_end = m_lf = 0;
    m_eof = false;
    m_digest = Digest();
}

FileStamp TextStream::Stamp() {
    return Reader().Stamp();
}

void TextStream::Write(std::string_view text) {
    if (!m_writer) {
        throw Error(ErrorKind::CannotWrite, m_path + ": the stream is not open for writing");
    }
    m_writer->Write(text);
}

std::string TextStream::Close() {
    m_reader.reset();
    // Any failure leaves the target untouched: the writer, released here, removes the new file.
    const std::unique_ptr<FileWriter> writer = std::move(m_writer);
    return writer ? writer->Commit() : std::string();
}
