// Turns one line of a Y'z Dock item list into one RK Launcher item section.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace modCommands {

// An ItemBlock is never longer than its line plus this: every field appears in it at most once, and its fixed texts
// (section header, keys, line breaks) add up to less.
inline constexpr std::size_t kLongestBlockOverhead = 128;

// The ItemBlock for one YzItemLine (a line without its line break, fields separated by TAB): empty for an empty
// line, a separator section for a line without TAB, otherwise an [RKDockItem] section of key = value lines.
// Every line of the result ends with CR LF. Raises Error MissingField when the line has fewer than seven fields
// (eight when field 6 is "00000000"), and ShowFieldTooShort when field 5 has fewer than five characters.
std::string YzLineToRK(std::string line);

// As YzLineToRK, appending the block to text; on an error text is left as it was.
void AppendYzLineToRK(std::string_view line, std::string& text);

} // namespace modCommands
