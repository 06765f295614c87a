// The in-memory files and their streams.
#include "MemoryFiles.h"

#include "Error.h"

#include <algorithm>
#include <cstring>
#include <utility>

class MemoryReader : public FileReader {
public:
    MemoryReader(MemoryFiles& files, std::string path, std::shared_ptr<MemoryFiles::File> file)
        : m_files(files), m_path(std::move(path)), m_file(std::move(file)) {
        ++m_files.m_open;
    }
    ~MemoryReader() override { --m_files.m_open; }

    std::size_t ReadSome(char* data, std::size_t size) override {
        const std::size_t count = std::min(size, m_file->bytes.size() - std::min(m_offset, m_file->bytes.size()));
        std::memcpy(data, m_file->bytes.data() + m_offset, count);
        m_offset += count;
        return count;
    }
    void Rewind() override {
        m_offset = 0;
        if (m_files.onRewind) {
            m_files.onRewind(m_path);
        }
    }
    FileStamp Stamp() override { return m_file->stamp; }

private:
    MemoryFiles& m_files;
    std::string m_path;
    std::shared_ptr<MemoryFiles::File> m_file;
    std::size_t m_offset = 0;
};

class MemoryWriter : public FileWriter {
public:
    MemoryWriter(MemoryFiles& files, std::string path) : m_files(files), m_path(std::move(path)) { ++m_files.m_open; }
    ~MemoryWriter() override { --m_files.m_open; }

    void Write(std::string_view bytes) override {
        const std::optional<std::size_t> limit = m_files.FailsAt(m_path, MemoryFiles::Failure::Write);
        if (limit && m_bytes.size() + bytes.size() > *limit) {
            throw Error(ErrorKind::CannotWrite, m_path + ": no space left");
        }
        m_bytes += bytes;
    }

    std::string Commit() override {
        if (m_files.FailsAt(m_path, MemoryFiles::Failure::Sync)) {
            throw Error(ErrorKind::CannotWrite, m_path + ": the file could not be synced");
        }
        if (m_files.FailsAt(m_path, MemoryFiles::Failure::Rename)) {
            throw Error(ErrorKind::CannotWrite, m_path + ": the file could not be put in place");
        }
        m_files.Put(m_path, std::move(m_bytes));
        if (m_files.FailsAt(m_path, MemoryFiles::Failure::FolderSync)) {
            return m_path + ": the folder could not be synced";
        }
        return {};
    }

private:
    MemoryFiles& m_files;
    std::string m_path;
    std::string m_bytes;
};

TextStream MemoryFiles::OpenTextFile(const std::string& path) {
    const auto found = m_files.find(path);
    if (found == m_files.end()) {
        throw Error(ErrorKind::CannotOpen, path + ": no such file");
    }
    return TextStream(std::make_unique<MemoryReader>(*this, path, found->second), path);
}

TextStream MemoryFiles::CreateTextFile(const std::string& path) {
    if (path.empty()) {
        throw Error(ErrorKind::CannotWrite, "no file name was given");
    }
    if (FailsAt(path, Failure::Refuse) || m_folders.contains(path)) {
        throw Error(ErrorKind::CannotWrite, path + ": refused");
    }
    return TextStream(std::make_unique<MemoryWriter>(*this, path), path);
}

bool MemoryFiles::FolderExists(const std::string& path) {
    return m_folders.contains(path);
}

bool MemoryFiles::SameFile(const std::string& first, const std::string& second) {
    return first == second && m_files.contains(first);
}

void MemoryFiles::Put(const std::string& path, std::string bytes) {
    const FileStamp stamp{bytes.size(), ++m_versions};
    m_files[path] = std::make_shared<File>(File{std::move(bytes), stamp});
}

void MemoryFiles::Change(const std::string& path, std::string bytes, bool keepStamp) {
    File& file = *m_files.at(path);
    file.bytes = std::move(bytes);
    if (!keepStamp) {
        file.stamp = {file.bytes.size(), ++m_versions};
    }
}

std::optional<std::string> MemoryFiles::Get(const std::string& path) const {
    const auto found = m_files.find(path);
    return found == m_files.end() ? std::nullopt : std::optional(found->second->bytes);
}

void MemoryFiles::MakeFolder(const std::string& path) {
    m_folders.insert(path);
}

void MemoryFiles::Fail(const std::string& prefix, Failure failure, std::size_t afterBytes) {
    m_rules.push_back({prefix, failure, afterBytes});
}

std::string MemoryFiles::List() const {
    std::string list;
    for (const auto& [path, file] : m_files) {
        list += (list.empty() ? "" : " ") + path;
    }
    return list;
}

std::optional<std::size_t> MemoryFiles::FailsAt(const std::string& path, Failure failure) const {
    for (const Rule& rule : m_rules) {
        if (rule.failure == failure && path.starts_with(rule.prefix)) {
            return rule.afterBytes;
        }
    }
    return std::nullopt;
}
