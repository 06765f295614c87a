// The scratch file of the in-memory build: the bytes kept in a string, as every other file of that build is.
#include "ScratchFile.h"

#include <algorithm>
#include <cstring>

namespace {

std::string& Bytes(std::intptr_t file) {
    return *reinterpret_cast<std::string*>(file);
}

} // namespace

ScratchFile::ScratchFile() : m_file(reinterpret_cast<std::intptr_t>(new std::string)), m_place("memory") {}

ScratchFile::~ScratchFile() {
    delete &Bytes(m_file);
}

void ScratchFile::Append(std::string_view data) {
    Bytes(m_file) += data;
    m_size += data.size();
}

std::size_t ScratchFile::ReadAt(std::uint64_t offset, char* data, std::size_t size) const {
    const std::string& bytes = Bytes(m_file);
    if (offset >= bytes.size()) {
        return 0;
    }
    const std::size_t count = std::min(size, bytes.size() - static_cast<std::size_t>(offset));
    std::memcpy(data, bytes.data() + offset, count);
    return count;
}
