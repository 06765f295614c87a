// The joined output text: its memory part, the spill into the scratch file, and writing it out.
#include "JoinedText.h"

#include "Error.h"
#include "Memory.h"
#include "TextStream.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace modCommands {

namespace {

// The memory part starts at no less than this, so that a small output grows in few steps.
constexpr std::size_t kSmallestCapacity = 64 * 1024;

// The capacity for needed bytes: the limit halved as often as it still holds them. Growing by doubling then ends
// exactly at the limit, and the last growth copies at most half of it.
std::size_t CapacityFor(std::size_t needed, std::size_t limit) {
    std::size_t capacity = limit;
    while (capacity / 2 >= std::max(needed, kSmallestCapacity)) {
        capacity /= 2;
    }
    return capacity;
}

// A string of exactly that capacity: reserve on a string that has one already may round up past it.
std::string WithCapacity(std::size_t capacity) {
    std::string text;
    text.reserve(capacity);
    return text;
}

} // namespace

JoinedText::JoinedText(std::size_t expectedSize, std::size_t memoryLimit, std::size_t sliceSize)
    : m_memoryLimit(memoryLimit), m_sliceSize(sliceSize) {
    if (expectedSize > 0) {
        m_memory = WithCapacity(CapacityFor(std::min(expectedSize, memoryLimit), memoryLimit));
        AdviseLargeBuffer(m_memory.data(), m_memory.capacity());
    }
}

std::string& JoinedText::Room(std::size_t most) {
    // Append has found the memory part too small, or the text spilled already.
    if (!m_scratch) {
        if (m_memory.size() + most <= m_memoryLimit) {
            Grow(m_memory.size() + most);
            return m_memory;
        }
        m_scratch.emplace();
        m_pending = WithCapacity(m_sliceSize);
    }
    if (m_pending.size() + most > m_pending.capacity()) {
        Flush();
        if (most > m_pending.capacity()) {
            m_pending = WithCapacity(most);
            m_oversized = true;
        }
    }
    return m_pending;
}

void JoinedText::Grow(std::size_t needed) {
    std::string grown = WithCapacity(CapacityFor(std::max(needed, m_memory.capacity() + 1), m_memoryLimit));
    AdviseLargeBuffer(grown.data(), grown.capacity());
    grown.append(m_memory);
    m_memory.swap(grown);
}

void JoinedText::Flush() {
    m_scratch->Append(m_pending);
    m_pending.clear();
    if (m_oversized) {
        m_pending = WithCapacity(m_sliceSize);
        m_oversized = false;
    }
}

void JoinedText::Finish() {
    if (m_scratch) {
        Flush();
        m_pending = std::string();
    }
}

std::uint64_t JoinedText::Size() const {
    return m_memory.size() + (m_scratch ? m_scratch->Size() + m_pending.size() : 0);
}

void JoinedText::WriteTo(TextStream& stream) const {
    stream.Write(m_memory);
    if (!m_scratch) {
        return;
    }
    const std::unique_ptr<char[]> slice(new char[m_sliceSize]);
    for (std::uint64_t offset = 0; offset < m_scratch->Size();) {
        const std::size_t count = m_scratch->ReadAt(offset, slice.get(), m_sliceSize);
        if (count == 0) {
            // Never a shortened file in the output's place.
            throw Error(ErrorKind::CannotWrite,
                        "the scratch file for the output in " + m_scratch->Place() + " ended before its end");
        }
        stream.Write(std::string_view(slice.get(), count));
        offset += count;
    }
    stream.Write(m_pending);
}

} // namespace modCommands
