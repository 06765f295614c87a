// The pure part of reading the process's command line on Windows, apart so that it can be tested.
#pragma once

#include <string>
#include <string_view>

// The arguments of a command line, unchanged, as UTF-8: all after the program's name and the blanks (spaces, tabs)
// that follow it. As the C runtime reads it, the name ends at the first blank outside quotation marks.
std::string ArgumentTextOf(std::wstring_view commandLine);
