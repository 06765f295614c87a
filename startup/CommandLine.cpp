// Cutting the argument text into pieces and taking the three values.
#include "CommandLine.h"

#include "Process.h"

#include <array>

namespace {

constexpr char kCut = '-';
constexpr std::array<std::string_view, 3> kKeywords = {"in", "out", "type"};

} // namespace

std::string Unquoted(std::string value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

std::optional<CommandLine> ParseCommandLine(std::string_view argumentText, bool unquotePaths) {
    std::array<std::string, 3> values;
    std::size_t cut = argumentText.find(kCut); // the "-" in front of piece 1
    for (std::size_t piece = 0; piece < kKeywords.size(); ++piece) {
        if (cut == std::string_view::npos) {
            return std::nullopt;
        }
        const std::size_t start = cut + 1;
        cut = argumentText.find(kCut, start);
        const std::string_view text = argumentText.substr(start, cut == std::string_view::npos ? cut : cut - start);
        if (!text.starts_with(kKeywords[piece])) {
            return std::nullopt;
        }
        values[piece] = TrimSpaces(text.substr(kKeywords[piece].size()));
    }
    if (unquotePaths) {
        values[0] = Unquoted(values[0]);
        values[1] = Unquoted(values[1]);
    }
    return CommandLine{values[0], values[1], values[2], argumentText.ends_with("-s")};
}
