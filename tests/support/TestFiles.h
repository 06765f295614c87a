// Temporary directories and whole-file reads and writes for tests.
#pragma once

#include <optional>
#include <string>

// A fresh directory (its path free of "-", which would cut a command line) that is removed with everything in it when
// the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    // The path of name inside the directory.
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

void WriteFile(const std::string& path, const std::string& bytes);
// The file's bytes, or nothing when it cannot be read.
std::optional<std::string> ReadFile(const std::string& path);
// Names of the entries of a directory, sorted.
std::string ListDirectory(const std::string& path);
