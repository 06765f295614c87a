// The output text of a conversion run as it is joined: in memory while it is of a usual size, and past a limit
// continued in a scratch file, so that a run holds about the same memory however large its output grows.
#pragma once

#include "ScratchFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

class TextStream;

namespace modCommands {

// What a run holds at most, with the product's limits: the memory part (192 MiB; while it grows, half of that is
// copied into a part of twice its size, so never more than 192 MiB touched at once), the line being read (up to
// 64 MiB and the read buffer's slack: TextStream::kLongestLine), and the piece bound for the scratch file (a slice
// of 4 MiB, or once for an item as long as the longest line, the block of that line). About 325 MiB in all.
class JoinedText {
public:
    // The memory part holds an output of this size or less, a 1,000,000-line item list's several times over.
    static constexpr std::size_t kMemoryLimit = 192 * 1024 * 1024;
    // Past the memory part, the text goes to the scratch file in pieces of about this size.
    static constexpr std::size_t kSliceSize = 4 * 1024 * 1024;

    // expectedSize: a guess at the final size, so that a text of that size is not moved as it grows. The limits
    // are the ones above; smaller ones serve tests of the spilling itself.
    explicit JoinedText(std::size_t expectedSize, std::size_t memoryLimit = kMemoryLimit,
                        std::size_t sliceSize = kSliceSize);

    // Appends a piece of at most most bytes: append(out) adds it to the std::string out. When append raises, the
    // text is as it was before.
    template <typename AppendTo> void Append(std::size_t most, AppendTo append) {
        if (m_memory.size() + most <= m_memory.capacity() && !m_scratch) {
            append(m_memory);
            return;
        }
        std::string& out = Room(most);
        append(out);
        if (m_oversized) {
            // A piece larger than a slice goes to the scratch file at once, and its buffer with it.
            Flush();
        }
    }

    // Puts what is still pending into the scratch file; to be called once everything is appended.
    void Finish();

    std::uint64_t Size() const;
    // True once the text has gone past the memory part.
    bool Spilled() const { return m_scratch.has_value(); }

    // Writes the whole text to stream in order: the memory part in one piece, then the rest read back from the start
    // of the scratch file in slices. Can be called again, for a second place.
    void WriteTo(TextStream& stream) const;

private:
    // The string to append up to most bytes to when the memory part has no room for them: the memory part grown
    // within the limit, or what is pending for the scratch file.
    std::string& Room(std::size_t most);
    void Grow(std::size_t needed);
    void Flush();

    std::size_t m_memoryLimit;
    std::size_t m_sliceSize;
    // The text's first part; its capacity is the memory limit halved some number of times.
    std::string m_memory;
    // Once spilled: the text in the scratch file, then what is pending for it.
    std::optional<ScratchFile> m_scratch;
    std::string m_pending;
    // True while m_pending is a buffer made for one piece larger than a slice.
    bool m_oversized = false;
};

} // namespace modCommands
