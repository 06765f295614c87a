// Turns one line of a Y'z Dock item list into one RK Launcher item section. Standard library only.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace modCommands {

// The line break of everything the program writes and shows.
inline constexpr char kCrLf[] = "\r\n";

// Why a line cannot be converted.
class ItemError : public std::runtime_error {
public:
    enum class Kind {
        MissingField,      // fewer fields than the conversion needs
        ShowFieldTooShort, // a show field of fewer than five characters
    };

    ItemError(Kind kind, const char* detail) : std::runtime_error(detail), m_kind(kind) {}
    Kind ItemKind() const { return m_kind; }

private:
    Kind m_kind;
};

// An ItemBlock is never longer than its line plus this: every field appears in it at most once, and its fixed texts
// (section header, keys, line breaks) add up to less.
inline constexpr std::size_t kLongestBlockOverhead = 128;

// The ItemBlock for one YzItemLine (a line without its line break, fields separated by TAB): empty for an empty
// line, a separator section for a line without TAB, otherwise an [RKDockItem] section of key = value lines.
// Every line of the result ends with CR LF. Raises MissingField when the line has fewer than seven fields (eight
// when field 6 is "00000000"), and ShowFieldTooShort when field 5 has fewer than five characters.
std::string YzLineToRK(std::string line);

// Raises the error YzLineToRK would raise for the line, without converting it.
void CheckYzLine(std::string_view line);

// As YzLineToRK, appending the block to text; on an error text is left as it was.
void AppendYzLineToRK(std::string_view line, std::string& text);

} // namespace modCommands
