// The common file dialog: title, filter and file name kept between uses, shown as Open or Save.
#pragma once

#include <string>
#include <string_view>
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

// True when the file name at the end of path matches one of the filter's patterns: "*" stands for any run of
// characters, "?" for one, and letters match in either case, as file dialogs match them.
bool MatchesFilter(std::string_view path, const std::string& filter);

class CommonDialog {
public:
    virtual ~CommonDialog() = default;

    std::string DialogTitle;
    // Description and pattern pairs, each part separated from the next by a bar.
    std::string Filter;
    // Pre-fills the dialog; afterwards the full path the user chose, or empty after a cancel.
    std::string FileName;
    // The extension, without its dot ("conf"), that a name typed without one gets; empty: none.
    std::string DefaultExt;

    // Modal. Return true when the user chose a file, false when the dialog was cancelled or failed.
    virtual bool ShowOpen() = 0;
    virtual bool ShowSave() = 0;

    // A file picked without the dialog (dropped on the window, or named alone on the command line): kept as if it had
    // been chosen in an Open dialog, so that the Save dialog starts beside it.
    void Picked(const std::string& path) { Closed(false, &path); }

protected:
    // Where a dialog starts: the folder it shows (empty: the system's choice) and what its name box holds.
    struct StartPlace {
        std::string folder;
        std::string name;
    };

    // The Open dialog proposes FileName again only when it is a file of the kind the filter asks for; after any
    // other name (the list just saved, say) it starts with an empty name in the folder of the last file opened, so
    // that accepting it as it comes cannot read the wrong kind of file. A bare name, as the Save dialog gets it,
    // starts in that folder too, next to the input just converted.
    StartPlace StartFor(bool save) const;
    // Call after the dialog closes: the chosen path, or nothing after a cancel or a failure.
    void Closed(bool save, const std::string* chosenPath);

private:
    // The folder of the last file chosen in an Open dialog, with its separator.
    std::string m_openedFolder;
};
