// Reading the filter of the common file dialog, the same for every system's dialog.
#include "CommonDialog.h"

#include "Process.h"

#include <cctype>
#include <string_view>

namespace {

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

// Where the folder part of a path ends: at its last separator, or nothing.
std::size_t FolderEnd(std::string_view path) {
#if defined(_WIN32)
    return path.find_last_of("\\/");
#else
    return path.rfind(kNativeSeparator);
#endif
}

bool Matches(std::string_view name, std::string_view pattern) {
    if (pattern.empty()) {
        return name.empty();
    }
    if (pattern.front() == '*') {
        for (std::size_t skip = 0; skip <= name.size(); ++skip) {
            if (Matches(name.substr(skip), pattern.substr(1))) {
                return true;
            }
        }
        return false;
    }
    const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    return !name.empty() && (pattern.front() == '?' || lower(pattern.front()) == lower(name.front())) &&
           Matches(name.substr(1), pattern.substr(1));
}

} // namespace

std::vector<FilterEntry> FilterEntries(const std::string& filter) {
    const std::vector<std::string_view> parts = Split(filter, '|');
    std::vector<FilterEntry> entries;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        FilterEntry entry{TrimSpaces(parts[i]), {}};
        for (const std::string_view pattern : Split(parts[i + 1], ';')) {
            if (std::string trimmed = TrimSpaces(pattern); !trimmed.empty()) {
                entry.patterns.push_back(std::move(trimmed));
            }
        }
        if (!entry.patterns.empty()) {
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

bool MatchesFilter(std::string_view path, const std::string& filter) {
    const std::string_view name = path.substr(FolderEnd(path) + 1); // the whole path when it has no folder (npos + 1)
    for (const FilterEntry& entry : FilterEntries(filter)) {
        for (const std::string& pattern : entry.patterns) {
            if (Matches(name, pattern)) {
                return true;
            }
        }
    }
    return false;
}

CommonDialog::StartPlace CommonDialog::StartFor(bool save) const {
    const std::size_t folderEnd = FolderEnd(FileName);
    if (folderEnd == std::string::npos) {
        return {m_openedFolder, FileName};
    }
    if (save || MatchesFilter(FileName, Filter)) {
        return {{}, FileName};
    }
    // The folder with its separator, so that a root folder stays one.
    return {m_openedFolder.empty() ? FileName.substr(0, folderEnd + 1) : m_openedFolder, {}};
}

void CommonDialog::Closed(bool save, const std::string* chosenPath) {
    if (chosenPath == nullptr) {
        FileName.clear();
        return;
    }
    FileName = *chosenPath;
    const std::size_t folderEnd = FolderEnd(FileName);
    if (!save && folderEnd != std::string::npos) {
        m_openedFolder = FileName.substr(0, folderEnd + 1);
    }
}
