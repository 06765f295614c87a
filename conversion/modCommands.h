// The conversion run: read a Y'z Dock item list, convert every line, write the RK Launcher item list.
#pragma once

#include "JoinedText.h"
#include "YzLineToRK.h"

#include <optional>
#include <string>

class CommonDialog;
class MessageBox;

namespace modCommands {

// What a run shows and asks, and where it falls back to, handed in by the front end.
struct RunContext {
    MessageBox& messageBox;
    // The Save dialog, used when no output directory is given; without one, choosing a place fails.
    CommonDialog* dialog = nullptr;
    // Where the output goes when the chosen place cannot be written, without a trailing separator.
    std::string applicationDirectory;
};

// Where SaveOutput put the file.
struct SavedFile {
    std::string path;
    // True when the first place failed and the file went to the application directory instead.
    bool inApplicationDirectory = false;
};

// Number of lines of a text file; raises CannotOpen when it cannot be read.
int CountLines(const std::string& path);

// Line n (from 1) of a text file without its line break; raises EndOfStream for a line that is not there.
std::string GetLine(const std::string& path, int n);

// Converts the item list at inputPath and saves the result as "itemlist.conf", in directory when one is given,
// otherwise where the user picks in the Save dialog. Nothing is written when a line cannot be converted; errors
// carry the number of the line they belong to.
SavedFile RunYzToRK(const std::string& inputPath, const std::optional<std::string>& directory,
                    const RunContext& context);

// Writes text to a file named fileName: in directory (joined without a separator) when one is given, otherwise at
// the place picked in the Save dialog. After any failure there it says so and writes into the application
// directory instead; only a failure of that second attempt is raised. An existing file is replaced only by a
// complete one.
SavedFile SaveOutput(const std::string& text, const std::string& description, const std::string& fileName,
                     const std::optional<std::string>& directory, const RunContext& context);
// As above, for a run's joined text, which may be partly in a scratch file: each attempt writes it whole.
SavedFile SaveOutput(const JoinedText& text, const std::string& description, const std::string& fileName,
                     const std::optional<std::string>& directory, const RunContext& context);

} // namespace modCommands
