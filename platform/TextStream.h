// A stream over one 8-bit text file: bytes in, the same bytes out, no byte-order mark, no re-encoding.
#pragma once

#include "Digest.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// What tells one state of a file from another: a file changed in place has another size or modification time.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0;

    bool operator==(const FileStamp&) const = default;
};

// An open file to read, as a file system hands it to a TextStream. Every failure is raised as an Error.
class FileReader {
public:
    virtual ~FileReader() = default;
    // Reads up to size bytes; 0 at the end of the file.
    virtual std::size_t ReadSome(char* data, std::size_t size) = 0;
    // Goes back to the first byte of the same open file.
    virtual void Rewind() = 0;
    virtual FileStamp Stamp() = 0;
};

// A new file being written beside its target. Destroying it before Commit removes it and leaves the target as it
// was. Every failure is raised as an Error.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    virtual void Write(std::string_view bytes) = 0;
    // Makes the file durable and puts it in the target's place. A failure before the file has its name is raised and
    // keeps the old file; a failure after it (the folder's entry not made durable) does not undo the write: it is
    // returned, for a warning, and empty when all went well.
    virtual std::string Commit() = 0;
};

// Reading: a line ends at CR LF, at a lone LF or at a lone CR; the break is not part of the line, and a break at
// the very end of the file does not start a further line. Writing: the text goes to a new file beside the target,
// and Close puts it in the target's place, so a failed write never touches an existing file.
// Every failure is raised as an Error. Streams come from a FileSystemObject. Destroying a stream releases the file;
// an unclosed written stream leaves the target as it was and no new file behind.
class TextStream {
public:
    // The longest line a stream reads, skips or tests for: a longer one raises LineTooLong. A line is held whole in
    // memory while it is read, so a file without line breaks would be held whole; no item list comes near this.
    static constexpr std::size_t kLongestLine = 64 * 1024 * 1024;

    TextStream(std::unique_ptr<FileReader> reader, std::string path);
    TextStream(std::unique_ptr<FileWriter> writer, std::string path);

    // True exactly when no line is left.
    bool AtEndOfStream();
    // Moves past one line and its line break; raises EndOfStream when no line is left.
    void SkipLine() { ReadLineView(); }
    // The next line without its line break; raises EndOfStream when no line is left, and LineTooLong for a line
    // longer than kLongestLine (as SkipLine does).
    std::string ReadLine() { return std::string(ReadLineView()); }
    // As ReadLine, without a copy: the view stays valid until the stream is next used.
    std::string_view ReadLineView();
    // Starts reading again from the first line of the same open file.
    void Rewind();
    // The state of the file being read, to find out whether it changed meanwhile.
    FileStamp Stamp();
    // A digest of every byte read since the file was opened or rewound: two readings of the whole file that give
    // the same digest saw the same bytes.
    std::uint64_t ReadDigest() const { return m_digest.Value(); }

    // Appends the text to the file unchanged, as it comes: a caller writing many small pieces joins them first.
    void Write(std::string_view text);
    // Closes the file; a written file is complete and in place afterwards. Returns what went wrong after it was in
    // place, if anything (see FileWriter::Commit).
    std::string Close();

    const std::string& Path() const { return m_path; }

private:
    void Fill();
    void CheckLineLength(std::size_t length) const;
    std::size_t FindLf(std::size_t from);
    FileReader& Reader();

    std::unique_ptr<FileReader> m_reader;
    std::unique_ptr<FileWriter> m_writer;
    std::string m_path;

    // The bytes read and not yet taken.
    std::vector<char> m_buffer;
    std::size_t m_begin = 0; // first unread byte in m_buffer
    std::size_t m_end = 0;   // end of the bytes read into m_buffer
    // The first LF in m_buffer at or after the last search's start, or where that search ended without one: a file
    // of lone CRs is not searched again and again for an LF.
    std::size_t m_lf = 0;
    bool m_eof = false;
    Digest m_digest;
};
