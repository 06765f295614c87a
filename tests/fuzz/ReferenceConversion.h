// A plain, slow rendering of the item conversion and of what a line is, to hold the fast code against.
#pragma once

#include "Error.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace reference {

inline std::vector<std::string_view> SplitAtTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == '\t') {
            fields.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    return fields;
}

// The error kind the conversion must raise for this line, if any.
inline std::optional<ErrorKind> Failure(std::string_view line) {
    if (line.find('\t') == std::string_view::npos) {
        return std::nullopt;
    }
    const auto f = SplitAtTabs(line);
    if (f.size() < 7 || (f[6] == "00000000" && f.size() < 8)) {
        return ErrorKind::MissingField;
    }
    if (f[5].size() < 5) {
        return ErrorKind::ShowFieldTooShort;
    }
    return std::nullopt;
}

// The section for a line that does not fail.
inline std::string Convert(std::string_view line) {
    if (line.empty()) {
        return {};
    }
    if (line.find('\t') == std::string_view::npos) {
        return "[RKDockItem]\r\ntype = separator\r\nshow = normal\r\n";
    }
    const auto f = SplitAtTabs(line);
    const bool shortcut = f[1] == "type.app" || f[1] == "type.nonapp";
    const bool docklet = f[1] == "type.docklet";
    std::string out = "[RKDockItem]\r\n";
    const auto add = [&](std::string_view key, std::string_view value) {
        out.append(key).append(" = ").append(value).append("\r\n");
    };
    if (shortcut) {
        add("type", "shortcut");
    }
    if (docklet) {
        add("type", "docklet_yz");
    }
    add("name", f[0]);
    if (f[6] == "00000000") {
        add("icon", f[7]);
    }
    if (shortcut) {
        add("link", f[2]);
        if (!f[4].empty()) {
            add("workFolder", f[4]);
        }
    }
    if (f[3] != "-") {
        add("arguments", f[3]);
    }
    add("show", f[5].substr(5));
    if (docklet) {
        add("path", f[2]);
        add("loaded", "1");
    }
    return out;
}

// The lines of a file: CR LF, LF and CR each end a line, and a break at the very end starts none.
inline std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

} // namespace reference
