// Temporary directories and whole-file reads and writes for tests. Paths are UTF-8 on every system.
#pragma once

#include <filesystem>
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
    // The path of name inside the directory, joined with the system's separator.
    std::string operator/(const std::string& name) const;

private:
    std::string m_path;
};

// The path a UTF-8 string names, and back: std::filesystem would read a narrow string in the system's code page.
std::filesystem::path PathOf(const std::string& utf8);
std::string Utf8Of(const std::filesystem::path& path);

void WriteFile(const std::string& path, const std::string& bytes);
// The file's bytes, or nothing when it cannot be read.
std::optional<std::string> ReadFile(const std::string& path);
// Names of the entries of a directory, sorted.
std::string ListDirectory(const std::string& path);
