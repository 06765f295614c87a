// The files of a POSIX system, as SystemFiles() gives them.
#pragma once

#include "FileSystemObject.h"

class PosixFiles : public FileSystemObject {
public:
    // unnamedFiles false: a new file is written under a hidden temporary name beside its target, which an ending
    // signal removes, as on a file system without unnamed files.
    explicit PosixFiles(bool unnamedFiles = true) : m_unnamedFiles(unnamedFiles) {}

    TextStream OpenTextFile(const std::string& path) override;
    TextStream CreateTextFile(const std::string& path) override;
    bool FolderExists(const std::string& path) override;
    bool SameFile(const std::string& first, const std::string& second) override;
    std::string FullPath(const std::string& path) override;

private:
    bool m_unnamedFiles;
};
