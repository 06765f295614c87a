// The common file dialog: title, filter and file name kept between uses, shown as Open or Save.
#pragma once

#include <string>
#include <vector>

// One entry of a dialog's list of file types: what it says, and the file name patterns it shows.
struct FilterEntry {
    std::string description;
    std::vector<std::string> patterns;

    bool operator==(const FilterEntry&) const = default;
};

// The entries of a filter of bar-separated description and pattern pairs ("Text files (*.txt)| *.txt; *.text"), as
// each system's dialog shows them: spaces around a description or a pattern do not count, several patterns are
// separated by ";", and a pair without any pattern, which could match nothing, is left out.
std::vector<FilterEntry> FilterEntries(const std::string& filter);

class CommonDialog {
public:
    virtual ~CommonDialog() = default;

    std::string DialogTitle;
    // Description and pattern pairs, each part separated from the next by a bar.
    std::string Filter;
    // Pre-fills the dialog; afterwards the full path the user chose, or empty after a cancel.
    std::string FileName;

    // Modal. Return true when the user chose a file, false when the dialog was cancelled or failed.
    virtual bool ShowOpen() = 0;
    virtual bool ShowSave() = 0;
};
