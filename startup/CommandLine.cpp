// Cutting the argument text into pieces and taking the three values.
#include "CommandLine.h"

#include "Process.h"

#include <array>

namespace {

constexpr char kCut = '-';
constexpr std::array<std::string_view, 3> kKeywords = {"in", "out", "type"};
constexpr std::string_view kSilent = "-s";
// The cuts that are read: the one before each option's piece and the one that ends the last.
constexpr std::size_t kCutsRead = kKeywords.size() + 1;

// Takes the three values from the pieces that begin after the first three cuts, each running to the next cut.
std::optional<CommandLine> ValuesAt(std::string_view text, const std::vector<std::size_t>& cuts, bool unquotePaths,
                                    bool silent) {
    if (cuts.size() < kKeywords.size()) {
        return std::nullopt;
    }
    std::array<std::string, 3> values;
    for (std::size_t piece = 0; piece < kKeywords.size(); ++piece) {
        const std::size_t start = cuts[piece] + 1;
        const std::size_t end = piece + 1 < cuts.size() ? cuts[piece + 1] : text.size();
        const std::string_view pieceText = text.substr(start, end - start);
        if (!pieceText.starts_with(kKeywords[piece])) {
            return std::nullopt;
        }
        values[piece] = TrimSpaces(pieceText.substr(kKeywords[piece].size()));
    }
    if (unquotePaths) {
        values[0] = Unquoted(values[0]);
        values[1] = Unquoted(values[1]);
    }
    return CommandLine{values[0], values[1], values[2], silent};
}

// Where an option may start in the second reading, in order: at an argument's start when the arguments came as a
// list, otherwise at the start of the text or after a space, outside quotation marks.
std::vector<std::size_t> OptionStarts(std::string_view text, std::span<const std::size_t> argumentStarts) {
    std::vector<std::size_t> starts;
    if (!argumentStarts.empty()) {
        for (const std::size_t start : argumentStarts) {
            if (start < text.size() && text[start] == kCut) {
                starts.push_back(start);
            }
        }
        return starts;
    }
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {
            quoted = !quoted;
        } else if (text[i] == kCut && !quoted && (i == 0 || text[i - 1] == ' ')) {
            starts.push_back(i);
        }
    }
    return starts;
}

} // namespace

std::string Unquoted(std::string value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

std::optional<CommandLine> ParseCommandLine(std::string_view argumentText, bool unquotePaths) {
    std::vector<std::size_t> cuts;
    for (std::size_t cut = argumentText.find(kCut); cut != std::string_view::npos && cuts.size() < kCutsRead;
         cut = argumentText.find(kCut, cut + 1)) {
        cuts.push_back(cut);
    }
    return ValuesAt(argumentText, cuts, unquotePaths, argumentText.ends_with(kSilent));
}

std::optional<CommandLine> ParseCommandLineByArguments(std::string_view argumentText, bool unquotePaths,
                                                       std::span<const std::size_t> argumentStarts) {
    const std::vector<std::size_t> cuts = OptionStarts(argumentText, argumentStarts);
    // The switch is a last argument of its own.
    const bool silent =
        argumentText.ends_with(kSilent) && !cuts.empty() && cuts.back() == argumentText.size() - kSilent.size();
    return ValuesAt(argumentText, cuts, unquotePaths, silent);
}

std::optional<CommandLine> ReadCommandLine(std::string_view argumentText, bool unquotePaths,
                                           std::span<const std::size_t> argumentStarts) {
    if (std::optional<CommandLine> commandLine = ParseCommandLine(argumentText, unquotePaths)) {
        return commandLine;
    }
    return ParseCommandLineByArguments(argumentText, unquotePaths, argumentStarts);
}

bool HoldsDashInAValue(std::string_view argumentText) {
    for (std::size_t cut = argumentText.find(kCut); cut != std::string_view::npos;
         cut = argumentText.find(kCut, cut + 1)) {
        if (cut > 0 && argumentText[cut - 1] != ' ' && argumentText[cut - 1] != kCut) {
            return true;
        }
    }
    return false;
}
