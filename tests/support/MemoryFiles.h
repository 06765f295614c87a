// Files kept in memory, in place of the disk: for tests and fuzzing of the whole run, which can tell them to refuse
// a place or to fail part-way, and can change a file while it is being read.
#pragma once

#include "FileSystemObject.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class MemoryFiles : public FileSystemObject {
public:
    // Ways for writing to fail, for every file whose path begins with a prefix.
    enum class Failure {
        Refuse,     // the file cannot be created
        Write,      // writing fails once the file would grow past a size (FailAfter)
        Sync,       // making the file durable fails, before it has its name
        Rename,     // putting the file in the target's place fails
        FolderSync, // the file is in place, but its folder is not made durable: a warning
    };

    TextStream OpenTextFile(const std::string& path) override;
    TextStream CreateTextFile(const std::string& path) override;
    bool FolderExists(const std::string& path) override;
    bool SameFile(const std::string& first, const std::string& second) override;
    // Paths in memory are full paths already.
    std::string FullPath(const std::string& path) override { return path; }

    // Puts a new file in place with these bytes, as a rename over the old one does: streams already reading the
    // old one go on reading it.
    void Put(const std::string& path, std::string bytes);
    // Changes the file's bytes in place, as an editor writing into it does: streams reading it see the change. With
    // keepStamp its size and time are reported as before, as a coarse clock may report them.
    void Change(const std::string& path, std::string bytes, bool keepStamp = false);
    // The bytes of the file at path, or nothing when there is none.
    std::optional<std::string> Get(const std::string& path) const;
    void MakeFolder(const std::string& path);
    // From now on writing fails this way for every path that begins with prefix; Write fails past afterBytes.
    void Fail(const std::string& prefix, Failure failure, std::size_t afterBytes = 0);
    // Called with the path when a stream starts reading a file again from its first line.
    std::function<void(const std::string&)> onRewind;

    // The paths of every file, separated by spaces, in order.
    std::string List() const;
    // How many files are open for reading or writing: none once every stream is released.
    int OpenStreams() const { return m_open; }

    struct File {
        std::string bytes;
        FileStamp stamp;
    };

private:
    friend class MemoryReader;
    friend class MemoryWriter;

    std::optional<std::size_t> FailsAt(const std::string& path, Failure failure) const;

    std::map<std::string, std::shared_ptr<File>> m_files;
    std::set<std::string> m_folders;
    struct Rule {
        std::string prefix;
        Failure failure;
        std::size_t afterBytes;
    };
    std::vector<Rule> m_rules;
    int m_open = 0;
    std::int64_t m_versions = 0;
};
