// Reading the filter of the common file dialog, the same for every system's dialog.
#include "CommonDialog.h"

#include <string_view>

namespace {

std::string Trimmed(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(begin, text.find_last_not_of(' ') - begin + 1));
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

} // namespace

std::vector<FilterEntry> FilterEntries(const std::string& filter) {
    const std::vector<std::string_view> parts = Split(filter, '|');
    std::vector<FilterEntry> entries;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        FilterEntry entry{Trimmed(parts[i]), {}};
        for (const std::string_view pattern : Split(parts[i + 1], ';')) {
            if (std::string trimmed = Trimmed(pattern); !trimmed.empty()) {
                entry.patterns.push_back(std::move(trimmed));
            }
        }
        if (!entry.patterns.empty()) {
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}
