// The common file dialog: title, filter and file name kept between uses, shown as Open or Save.
#pragma once

#include <string>

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
