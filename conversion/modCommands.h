// The conversion run: read a Y'z Dock item list, convert every line, write the RK Launcher item list.
#pragma once

#include "YzLineToRK.h"

#include <functional>
#include <limits>
#include <optional>
#include <string>

class CommonDialog;
class FileSystemObject;
class MessageBox;
class TextStream;

namespace modCommands {

// What a run shows and asks, where it reads and writes, and where it falls back to, handed in by the front end.
struct RunContext {
    MessageBox& messageBox;
    // The Save dialog, used when no output directory is given; without one, choosing a place fails.
    CommonDialog* dialog = nullptr;
    // Where the output goes when the chosen place cannot be written, without a trailing separator.
    std::string applicationDirectory;
    // The files read and written: the system's own unless another file system is handed in.
    FileSystemObject* files = nullptr;
    // The highest line number: a longer input is refused.
    int lastLineNumber = std::numeric_limits<int>::max();

    FileSystemObject& Files() const;
};

// Where SaveOutput put the file.
struct SavedFile {
    std::string path;
    // True when the first place failed and the file went to the application directory instead.
    bool inApplicationDirectory = false;
};

// Number of lines of a text file; raises CannotOpen when it cannot be read.
int CountLines(const std::string& path, FileSystemObject& files);

// Line n (from 1) of a text file without its line break; raises EndOfStream for a line that is not there.
std::string GetLine(const std::string& path, int n, FileSystemObject& files);

// Converts the item list at inputPath and saves the result as "itemlist.conf", in directory when one is given,
// otherwise where the user picks in the Save dialog. Every line is checked before anything is asked or written (the
// error carries the line's number); an input that changes meanwhile fails the run (InputChanged) and writes nothing.
SavedFile RunYzToRK(const std::string& inputPath, const std::optional<std::string>& directory,
                    const RunContext& context);

// Puts the whole text into a stream; called once for each place the output is written to.
using TextWriter = std::function<void(TextStream&)>;

// Writes a file named fileName: in directory when one is given (an existing folder named without a trailing
// separator gets one, any other value runs straight into the file name), otherwise at the place picked in the Save
// dialog. After a failure there it says so and why, and writes into the application directory instead; only a
// failure of that second attempt is raised, naming both places. An existing file is replaced only by a complete
// one. A place that is the file being converted (avoid) is a failure of that place: it is never written over.
SavedFile SaveOutput(const TextWriter& write, const std::string& description, const std::string& fileName,
                     const std::optional<std::string>& directory, const RunContext& context,
                     const std::string& avoid = {});

} // namespace modCommands
