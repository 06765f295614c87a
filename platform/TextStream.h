// A stream over one 8-bit text file: bytes in, the same bytes out, no byte-order mark, no re-encoding.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reading: a line ends at CR LF, at a lone LF or at a lone CR; the break is not part of the line, and a break at
// the very end of the file does not start a further line. Writing: the text goes to a temporary file beside the
// target, and Close puts it in the target's place, so a failed write never touches an existing file.
// Every failure is raised as an Error. Streams come from FileSystemObject.
class TextStream {
public:
    // The longest line a stream reads, skips or tests for: a longer one raises LineTooLong. A whole line is held in
    // memory while it is read, so without a bound a file without any line break would be held whole. No item list
    // comes near it.
    static constexpr std::size_t kLongestLine = 64 * 1024 * 1024;

    TextStream(TextStream&& other) noexcept;
    TextStream& operator=(TextStream&& other) = delete;
    TextStream(const TextStream&) = delete;
    TextStream& operator=(const TextStream&) = delete;
    // Releases the file; an unclosed written stream leaves the target as it was and no temporary file behind.
    ~TextStream();

    // True exactly when no line is left.
    bool AtEndOfStream();
    // Moves past one line and its line break; raises EndOfStream when no line is left.
    void SkipLine();
    // The next line without its line break; raises EndOfStream when no line is left, and LineTooLong for a line
    // longer than kLongestLine (as SkipLine does).
    std::string ReadLine();
    // As ReadLine, without a copy: the view stays valid until the stream is next used.
    std::string_view ReadLineView();

    // Appends the text to the file unchanged.
    void Write(std::string_view text);
    // Closes the file; a written file is complete and in place afterwards.
    void Close();

    // The open file as the system knows it: a descriptor, or a handle on Windows.
    using NativeFile = std::intptr_t;
    static constexpr NativeFile kNoFile = -1;

private:
    friend class FileSystemObject;
    enum class Mode { Read, Write, Closed };

    TextStream(Mode mode, NativeFile file, std::string path);

    bool Fill();
    std::string_view NextLine();
    void CheckLineLength(std::size_t length) const;

    // The file operations, one set per system: reads up to size bytes (0 at the end of the file), and releases the
    // file, removing an unfinished temporary file.
    std::size_t ReadSome(char* data, std::size_t size);
    void Release() noexcept;

    Mode m_mode;
    NativeFile m_file;
    // Read: the file's path. Write: the target's path (on Windows its full path); the data goes to m_tempPath until
    // Close.
    std::string m_path;
    std::string m_tempPath;
    // What the new file takes over from the one it replaces: its permission bits on POSIX. Unused on Windows, where
    // the replace itself carries the old file's attributes and security over.
    std::uint32_t m_keep = 0;
    std::size_t m_written = 0;

    std::vector<char> m_buffer;
    std::size_t m_begin = 0; // first unread byte in m_buffer
    std::size_t m_end = 0;   // end of the bytes read into m_buffer
    bool m_eof = false;
};
