// Parts of Windows paths that the file layer and the process's own directory share.
#pragma once

#include <string>
#include <string_view>

// The folder part of a full path, without a trailing separator: "C:" for a file at a drive's root.
std::wstring DirectoryPartOf(std::wstring_view path);

// True for a name in the system's device space (\\.\NUL, \\.\COM1, \\.\pipe\x, \\?\GLOBALROOT\...): no file on a
// disk. Drive paths and shares written in that space (\\?\C:\x, \\.\C:\x, \\?\UNC\s\x) are files.
bool IsDevicePath(std::wstring_view fullPath);
