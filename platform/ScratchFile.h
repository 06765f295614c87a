// A file without a name for data too large to keep in memory: the system removes it when it is closed, also when
// the program is ended in any way, so that it never leaves anything behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class ScratchFile {
public:
    // Makes the file in the system's place for temporary files: on POSIX the first of $TMPDIR, /var/tmp and /tmp
    // that takes it (/var/tmp before /tmp, which is often kept in memory); on Windows the user's temporary folder.
    // Raises CannotWrite naming every place tried, each with the system's reason.
    ScratchFile();
    // Closes the file, which removes it.
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Adds data at the end. Raises CannotWrite naming the place and the system's reason (a full disk, say); what
    // was appended before stays readable.
    void Append(std::string_view data);
    // Reads up to size bytes from offset; fewer only at the end of the file, 0 past it. Raises CannotWrite, since
    // the data is read back only to be written out.
    std::size_t ReadAt(std::uint64_t offset, char* data, std::size_t size) const;

    // The number of bytes appended.
    std::uint64_t Size() const { return m_size; }
    // The directory the file is in, for messages.
    const std::string& Place() const { return m_place; }

private:
    // A descriptor on POSIX, a handle on Windows, the bytes themselves in the in-memory build.
    std::intptr_t m_file;
    std::string m_place;
    std::uint64_t m_size = 0;
};
