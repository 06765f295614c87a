// The common file dialog over the system's Open and Save dialogs (GetOpenFileNameW, GetSaveFileNameW).
#pragma once

#include "CommonDialog.h"

#include <string>

// windows.h stays out of this header: it defines a MessageBox macro that clashes with the program's class.
struct HWND__;
struct tagOFNW; // OPENFILENAMEW

// The dialog's list for a filter's FilterEntries: each description and its ";"-joined patterns, each ended by a NUL,
// and one more NUL at the end. An empty result means no filter at all.
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
