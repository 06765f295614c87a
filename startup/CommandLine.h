// The parse of the argument text: -in, -out, -type and the trailing -s.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct CommandLine {
    std::string inputPath;
    std::string outputDirectory;
    std::string type;
    // The argument text ends with "-s": no confirmation.
    bool silent = false;

    bool operator==(const CommandLine&) const = default;
};

// The argument text is cut at every "-"; pieces 1 to 3 must begin with "in", "out" and "type" (exactly, case
// counts), and the rest of each, trimmed of spaces only, is its value. Text before the first "-" and pieces after
// the third are never looked at. With unquotePaths, one pair of quotation marks enclosing the whole input or output
// value (after trimming) is taken away. Returns nothing for a malformed command line.
std::optional<CommandLine> ParseCommandLine(std::string_view argumentText, bool unquotePaths);

// The value without one pair of quotation marks around the whole of it; what they enclose stays as it is.
std::string Unquoted(std::string value);
