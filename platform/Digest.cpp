// Four lanes that each take eight bytes at a time, multiplied and rotated (the shape of the xxHash family), so that
// digesting costs little beside reading.
#include "Digest.h"

#include <bit>
#include <cstring>
#include <random>

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ULL;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ULL;

std::uint64_t Word(const char* bytes) {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

std::uint64_t Round(std::uint64_t lane, std::uint64_t word) {
    return std::rotl(lane + word * kPrime2, 31) * kPrime1;
}

} // namespace

Digest::Digest(std::uint64_t seed)
    : m_seed(seed), m_lanes{seed + kPrime1 + kPrime2, seed + kPrime2, seed, seed - kPrime1} {}

std::uint64_t Digest::ProcessSeed() {
    static const std::uint64_t seed = (std::uint64_t{std::random_device()()} << 32) ^ std::random_device()();
    return seed;
}

void Digest::AddBlocks(const char* blocks, std::size_t count) {
    // The lanes are kept in locals, so that they stay in registers: the bytes read could otherwise be the members.
    std::uint64_t lane0 = m_lanes[0], lane1 = m_lanes[1], lane2 = m_lanes[2], lane3 = m_lanes[3];
    for (const char* block = blocks; block != blocks + count * kBlock; block += kBlock) {
        lane0 = Round(lane0, Word(block));
        lane1 = Round(lane1, Word(block + 8));
        lane2 = Round(lane2, Word(block + 16));
        lane3 = Round(lane3, Word(block + 24));
    }
    m_lanes = {lane0, lane1, lane2, lane3};
}

void Digest::Add(std::string_view bytes) {
    m_length += bytes.size();
    if (m_pendingSize > 0) {
        const std::size_t taken = std::min(kBlock - m_pendingSize, bytes.size());
        std::memcpy(m_pending.data() + m_pendingSize, bytes.data(), taken);
        m_pendingSize += taken;
        bytes.remove_prefix(taken);
        if (m_pendingSize < kBlock) {
            return;
        }
        AddBlocks(m_pending.data(), 1);
        m_pendingSize = 0;
    }
    const std::size_t blocks = bytes.size() / kBlock;
    AddBlocks(bytes.data(), blocks);
    bytes.remove_prefix(blocks * kBlock);
    std::memcpy(m_pending.data(), bytes.data(), bytes.size());
    m_pendingSize = bytes.size();
}

std::uint64_t Digest::Value() const {
    std::uint64_t value = m_seed + kPrime3;
    for (const std::uint64_t lane : m_lanes) {
        value = (value ^ Round(0, lane)) * kPrime1 + kPrime4;
        value = std::rotl(value, 27);
    }
    value += m_length;
    for (std::size_t i = 0; i < m_pendingSize; ++i) {
        value = std::rotl(value ^ (static_cast<unsigned char>(m_pending[i]) * kPrime3), 11) * kPrime1;
    }
    // Every bit of the value depends on every bit of the state.
    value ^= value >> 33;
    value *= kPrime2;
    value ^= value >> 29;
    value *= kPrime3;
    return value ^ (value >> 32);
}
