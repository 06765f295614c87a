// A 64-bit digest of a run of bytes, the same however the bytes are handed in: to tell whether two readings of one
// file saw the same bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

class Digest {
public:
    // Digests made with one seed can be compared; the program draws its seed at random once, so that no file can be
    // made on purpose to give the digest of another.
    explicit Digest(std::uint64_t seed = ProcessSeed());

    void Add(std::string_view bytes);
    // The digest of every byte added so far.
    std::uint64_t Value() const;

    static std::uint64_t ProcessSeed();

private:
    static constexpr std::size_t kBlock = 32;

    void AddBlocks(const char* blocks, std::size_t count);

    std::uint64_t m_seed;
    std::array<std::uint64_t, 4> m_lanes;
    // The bytes of a block not yet complete.
    std::array<char, kBlock> m_pending{};
    std::size_t m_pendingSize = 0;
    std::uint64_t m_length = 0;
};
