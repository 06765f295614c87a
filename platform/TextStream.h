// A stream over one 8-bit text file: bytes in, the same bytes out, no byte-order mark, no re-encoding.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Reading: a line ends at CR LF, at a lone LF or at a lone CR; the break is not part of the line, and a break at
// the very end of the file does not start a further line. Writing: the text goes to a temporary file beside the
// target, and Close puts it in the target's place, so a failed write never touches an existing file.
// Every failure is raised as an Error. Streams come from FileSystemObject.
class TextStream {
public:
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
    // The next line without its line break; raises EndOfStream when no line is left.
    std::string ReadLine();
    // As ReadLine, without a copy: the view stays valid until the stream is next used.
    std::string_view ReadLineView();

    // Appends the text to the file unchanged.
    void Write(std::string_view text);
    // Closes the file; a written file is complete and in place afterwards.
    void Close();

private:
    friend class FileSystemObject;
    enum class Mode { Read, Write, Closed };

    TextStream(Mode mode, int fd, std::string path);

    bool Fill();
    std::string_view NextLine();
    void Release() noexcept;

    Mode m_mode;
    int m_fd;
    // Read: the file's path. Write: the target's path; the data goes to m_tempPath until Close.
    std::string m_path;
    std::string m_tempPath;
    unsigned m_permissions = 0;
    std::size_t m_written = 0;

    std::vector<char> m_buffer;
    std::size_t m_begin = 0; // first unread byte in m_buffer
    std::size_t m_end = 0;   // end of the bytes read into m_buffer
    bool m_eof = false;
};
