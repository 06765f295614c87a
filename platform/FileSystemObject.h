// Opens and creates 8-bit text files as TextStreams: the files of this system's disks (SystemFiles), or any other
// file system handed in, such as the one kept in memory for tests.
#pragma once

#include "TextStream.h"

#include <string>

class FileSystemObject {
public:
    virtual ~FileSystemObject() = default;

    // Opens an existing regular file for reading, positioned at its first line. A missing file is never created;
    // a file that cannot be opened, or that is not a regular file, raises CannotOpen.
    virtual TextStream OpenTextFile(const std::string& path) = 0;

    // Creates the file, replacing an existing one once the stream is closed. A symbolic link is followed, so the
    // file it points to is replaced and the link stays. A path that cannot be written raises CannotWrite.
    virtual TextStream CreateTextFile(const std::string& path) = 0;

    // True when path names an existing folder.
    virtual bool FolderExists(const std::string& path) = 0;

    // True when both paths name one existing file, whatever way each is written.
    virtual bool SameFile(const std::string& first, const std::string& second) = 0;

    // The path from the root, for the user to read: a relative path joined to the working directory. A path that
    // cannot be made so stays as it is.
    virtual std::string FullPath(const std::string& path) = 0;
};

// The files of this system's disks.
FileSystemObject& SystemFiles();
