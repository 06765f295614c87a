// Turns one line of a Y'z Dock item list into one RK Launcher item section.
#pragma once

#include <string>
#include <string_view>

namespace modCommands {

// The ItemBlock for one YzItemLine (a line without its line break, fields separated by TAB): empty for an empty
// line, a separator section for a line without TAB, otherwise an [RKDockItem] section of key = value lines.
// Every line of the result ends with CR LF. Raises Error MissingField when the line has fewer than seven fields
// (eight when field 6 is "00000000"), and ShowFieldTooShort when field 5 has fewer than five characters.
std::string YzLineToRK(std::string line);

// As YzLineToRK, appending the block to text; on an error text is left as it was.
void AppendYzLineToRK(std::string_view line, std::string& text);

} // namespace modCommands
