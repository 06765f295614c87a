// The in-memory files, and FileSystemObject and TextStream's file operations over them.
#include "MemoryFiles.h"

#include "Error.h"
#include "FileSystemObject.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace {

struct Store {
    std::map<std::string, std::string> files;
    std::vector<std::string> refused;
    int open = 0;
};

Store& TheStore() {
    static Store store;
    return store;
}

// What a stream holds open: the bytes being read and how far, or the bytes written so far.
struct OpenFile {
    std::string bytes;
    std::size_t offset = 0;
};

OpenFile* Opened(TextStream::NativeFile file) {
    return reinterpret_cast<OpenFile*>(file);
}

TextStream::NativeFile Handle(OpenFile* file) {
    ++TheStore().open;
    return reinterpret_cast<TextStream::NativeFile>(file);
}

} // namespace

namespace MemoryFiles {

void Put(const std::string& path, std::string bytes) {
    TheStore().files[path] = std::move(bytes);
}

std::optional<std::string> Get(const std::string& path) {
    const auto found = TheStore().files.find(path);
    return found == TheStore().files.end() ? std::nullopt : std::optional(found->second);
}

void Clear() {
    TheStore().files.clear();
    TheStore().refused.clear();
}

void Refuse(const std::string& prefix) {
    TheStore().refused.push_back(prefix);
}

int OpenStreams() {
    return TheStore().open;
}

} // namespace MemoryFiles

TextStream FileSystemObject::OpenTextFile(const std::string& path) {
    const std::optional<std::string> bytes = MemoryFiles::Get(path);
    if (!bytes) {
        throw Error(ErrorKind::CannotOpen, path + ": no such file");
    }
    return TextStream(TextStream::Mode::Read, Handle(new OpenFile{*bytes}), path);
}

TextStream FileSystemObject::CreateTextFile(const std::string& path) {
    if (path.empty()) {
        throw Error(ErrorKind::CannotWrite, "no file name was given");
    }
    const std::vector<std::string>& refused = TheStore().refused;
    if (std::any_of(refused.begin(), refused.end(),
                    [&](const std::string& prefix) { return path.starts_with(prefix); })) {
        throw Error(ErrorKind::CannotWrite, path + ": refused");
    }
    return TextStream(TextStream::Mode::Write, Handle(new OpenFile), path);
}

std::size_t TextStream::ReadSome(char* data, std::size_t size) {
    OpenFile& file = *Opened(m_file);
    const std::size_t count = std::min(size, file.bytes.size() - file.offset);
    std::memcpy(data, file.bytes.data() + file.offset, count);
    file.offset += count;
    return count;
}

void TextStream::Write(std::string_view text) {
    if (m_mode != Mode::Write) {
        throw Error(ErrorKind::CannotWrite, m_path + ": the stream is not open for writing");
    }
    Opened(m_file)->bytes += text;
}

void TextStream::Close() {
    if (m_mode == Mode::Write) {
        // Only a closed file takes the place of the old one, as on disk.
        MemoryFiles::Put(m_path, std::move(Opened(m_file)->bytes));
    }
    Release();
}

void TextStream::Release() noexcept {
    if (m_file != kNoFile) {
        delete Opened(std::exchange(m_file, kNoFile));
        --TheStore().open;
    }
    m_mode = Mode::Closed;
}
