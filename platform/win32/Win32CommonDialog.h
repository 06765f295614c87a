// The common file dialog over the system's Open and Save dialogs (GetOpenFileNameW, GetSaveFileNameW).
#pragma once

#include "CommonDialog.h"

#include <string>

// windows.h stays out of this header: it defines a MessageBox macro that clashes with the program's class.
struct HWND__;
struct tagOFNW; // OPENFILENAMEW

// Turns a filter of bar-separated description and pattern pairs ("Text files (*.txt)| *.txt") into the dialog's
// list: each description and its patterns, each ended by a NUL, and one more NUL at the end. Spaces around a
// description or a pattern do not count; several patterns are separated by ";". A pair without a pattern, or a
// description without its pattern part, is left out, since an empty pattern would end the list there. An empty
// result means no filter at all.
std::wstring FilterListOf(const std::string& filter);

class Win32CommonDialog : public CommonDialog {
public:
    explicit Win32CommonDialog(HWND__* owner = nullptr) : m_owner(owner) {}

    bool ShowOpen() override { return Show(false); }
    bool ShowSave() override { return Show(true); }

protected:
    // Shows the system's dialog as described: true when a file was chosen, its path then in dialog.lpstrFile.
    virtual bool Run(bool save, tagOFNW& dialog);

private:
    bool Show(bool save);

    HWND__* m_owner;
};
