// Open and Save dialogs with the title, filter and file name kept by CommonDialog.
#include "Win32CommonDialog.h"

#include "Unicode.h"

#include <windows.h>
// After windows.h, which it needs; WIN32_LEAN_AND_MEAN leaves it out of windows.h itself.
#include <commdlg.h>
#undef MessageBox

std::wstring FilterListOf(const std::string& filter) {
    std::wstring list;
    for (const FilterEntry& entry : FilterEntries(filter)) {
        std::string patterns;
        for (const std::string& pattern : entry.patterns) {
            patterns += (patterns.empty() ? "" : ";") + pattern;
        }
        list += WideFromUtf8(entry.description + '\0' + patterns + '\0');
    }
    return list.empty() ? list : list + L'\0';
}

bool Win32CommonDialog::Run(bool save, OPENFILENAMEW& dialog) {
    return save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
}

bool Win32CommonDialog::Show(bool save) {
    const std::wstring title = WideFromUtf8(DialogTitle);
    const std::wstring filters = FilterListOf(Filter);
    const StartPlace start = StartFor(save);
    const std::wstring folder = WideFromUtf8(start.folder);
    const std::wstring defaultExt = WideFromUtf8(DefaultExt);
    // Room for the longest path the system takes, and its terminating NUL.
    constexpr std::size_t kPathRoom = 32768;
    std::wstring file = WideFromUtf8(start.name);
    if (file.size() >= kPathRoom) {
        file.clear();
    }
    file.resize(kPathRoom);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = m_owner;
    dialog.lpstrFilter = filters.empty() ? nullptr : filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
    // The working directory stays where it was: a relative path given later still means what it meant.
    dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    dialog.Flags |= save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;

    // A cancelled or failed dialog (CommDlgExtendedError tells which) reports no file, never the name it held.
    if (!Run(save, dialog)) {
        Closed(save, nullptr);
        return false;
    }
    const std::string path = Utf8FromWide(file.c_str());
    Closed(save, &path);
    return true;
}
