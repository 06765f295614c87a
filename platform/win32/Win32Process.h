// The pure part of reading the process's command line on Windows, apart so that it can be tested.
#pragma once

#include <string>
#include <string_view>

// The arguments of a command line as the system holds it: everything after the program's name and the blanks
// (spaces and tabs) that follow it, unchanged, as UTF-8. The name ends at the first blank outside quotation marks,
// as the C runtime reads it, so a quoted name may hold spaces.
std::string ArgumentTextOf(std::wstring_view commandLine);
