// Fuzzes the parse of the argument text.
// Its second reading, for paths with a "-", never changes a text the first reads, and reads as the first does every
// text whose every "-" starts a word outside quotation marks.
// The parse never reads a piece it should not: text before the first "-" and pieces after the third can be
// anything without changing the result, except that the last two characters decide the silent switch. Values carry
// no spaces at their ends and no "-". Unquoting paths takes away one pair of quotation marks around the input or
// output value and changes nothing else.
#include "CommandLine.h"
#include "FuzzCheck.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

// Position of the n-th "-" (from 1), or npos.
std::size_t NthDash(const std::string& text, int n) {
    std::size_t at = std::string::npos;
    for (int i = 0; i < n; ++i) {
        at = text.find('-', at == std::string::npos ? 0 : at + 1);
        if (at == std::string::npos) {
            break;
        }
    }
    return at;
}

void CheckValue(const std::string& value) {
    FUZZ_CHECK(value.find('-') == std::string::npos);
    FUZZ_CHECK(value.empty() || (value.front() != ' ' && value.back() != ' '));
}

void CheckUnquoted(const std::string& value, const std::string& unquoted) {
    const bool enclosed = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    FUZZ_CHECK(unquoted == (enclosed ? value.substr(1, value.size() - 2) : value));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<CommandLine> parsed = ParseCommandLine(text, false);
    const std::optional<CommandLine> unquoted = ParseCommandLine(text, true);
    FUZZ_CHECK(parsed.has_value() == unquoted.has_value());

    if (parsed) {
        CheckUnquoted(parsed->inputPath, unquoted->inputPath);
        CheckUnquoted(parsed->outputDirectory, unquoted->outputDirectory);
        FUZZ_CHECK(unquoted->type == parsed->type && unquoted->silent == parsed->silent);
        FUZZ_CHECK(std::count(text.begin(), text.end(), '-') >= 3);
        FUZZ_CHECK(parsed->silent == text.ends_with("-s"));
        CheckValue(parsed->inputPath);
        CheckValue(parsed->outputDirectory);
        CheckValue(parsed->type);
    }

    // The second reading only rescues what the first cannot read.
    for (const bool unquote : {false, true}) {
        const std::optional<CommandLine> first = unquote ? unquoted : parsed;
        const std::optional<CommandLine> read = ReadCommandLine(text, unquote);
        FUZZ_CHECK(!first || read == first);
        const bool everyDashStartsAWord =
            text.find('"') == std::string::npos && std::all_of(text.begin(), text.end(), [&](const char& c) {
                return c != '-' || &c == text.data() || (&c)[-1] == ' ';
            });
        if (everyDashStartsAWord) {
            FUZZ_CHECK(ParseCommandLineByArguments(text, unquote) == first);
        }
    }

    // Other text before the first "-".
    const std::size_t first = NthDash(text, 1);
    if (first != std::string::npos && text.size() - first >= 2) {
        FUZZ_CHECK(ParseCommandLine("other words " + text.substr(first), false) == parsed);
    }
    // Other pieces after the third, the last two characters kept.
    const std::size_t fourth = NthDash(text, 4);
    if (fourth != std::string::npos && text.size() >= fourth + 3) {
        const std::string changed = text.substr(0, fourth + 1) + "x-y- z" + text.substr(text.size() - 2);
        FUZZ_CHECK(ParseCommandLine(changed, false) == parsed);
    }
    return 0;
}
