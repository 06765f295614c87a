// Helpers shared by the text-file tests of every system.
#pragma once

#include "Error.h"
#include "FileSystemObject.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

inline std::vector<std::string> ReadAllLines(const std::string& path) {
    FileSystemObject& fso = SystemFiles();
    TextStream stream = fso.OpenTextFile(path);
    std::vector<std::string> lines;
    while (!stream.AtEndOfStream()) {
        lines.push_back(stream.ReadLine());
    }
    stream.Close();
    return lines;
}

inline void WriteTextFile(const std::string& path, const std::string& text) {
    FileSystemObject& fso = SystemFiles();
    TextStream stream = fso.CreateTextFile(path);
    stream.Write(text);
    stream.Close();
}

// The error the action raises; a test failure when it raises none.
inline Error ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error;
    }
    ADD_FAILURE() << "no error";
    return Error(ErrorKind::NoPlaceChosen, "no error");
}

inline ErrorKind KindOf(const std::function<void()>& action) {
    return ErrorOf(action).Kind();
}
