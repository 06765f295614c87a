// Opens and creates 8-bit text files as TextStreams.
#pragma once

#include "TextStream.h"

#include <string>

class FileSystemObject {
public:
    // Opens an existing regular file for reading, positioned at its first line. A missing file is never created;
    // a file that cannot be opened, or that is not a regular file, raises CannotOpen.
    TextStream OpenTextFile(const std::string& path);

    // Creates the file, replacing an existing one once the stream is closed. A symbolic link is followed, so the
    // file it points to is replaced and the link stays. A path that cannot be written raises CannotWrite.
    TextStream CreateTextFile(const std::string& path);
};
