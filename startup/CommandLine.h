// The parse of the argument text: -in, -out, -type and the trailing -s.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// The second reading, for a text the first finds malformed, so that paths may hold a "-": a "-" starts an option
// only where an argument starts, that is at one of argumentStarts (positions in the text) when the system handed the
// arguments over as a list, otherwise at the start of the text or after a space, never inside a pair of quotation
// marks. Any other "-" is part of its value. The switch "-s" counts when it is the last argument.
std::optional<CommandLine> ParseCommandLineByArguments(std::string_view argumentText, bool unquotePaths,
                                                       std::span<const std::size_t> argumentStarts = {});

// The first reading, and the second for a text the first finds malformed: every text the first reads keeps the
// meaning it gives.
std::optional<CommandLine> ReadCommandLine(std::string_view argumentText, bool unquotePaths,
                                           std::span<const std::size_t> argumentStarts = {});

// True when the text holds a "-" inside a word, as a path may: it may be why the text could not be read.
bool HoldsDashInAValue(std::string_view argumentText);

// The value without one pair of quotation marks around the whole of it; what they enclose stays as it is.
std::string Unquoted(std::string value);
