// The worked example every suite converts: one item line and its block, the separator's block, and the file an
// earlier run left, which no failure may touch.
#pragma once

#include <string>

inline const std::string kItem = "Editor\ttype.app\tC:\\e.exe\t-\t\t12345normal\t1";
// Each block with the blank line that ends it in the output.
inline const std::string kItemBlock =
    "[RKDockItem]\r\ntype = shortcut\r\nname = Editor\r\nlink = C:\\e.exe\r\nshow = normal\r\n\r\n";
inline const std::string kSepBlock = "[RKDockItem]\r\ntype = separator\r\nshow = normal\r\n\r\n";
inline const std::string kPrecious = "[RKDockItem]\r\nname = kept from before\r\n\r\n";

inline std::string Repeat(const std::string& text, std::size_t times) {
    std::string result;
    result.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}
