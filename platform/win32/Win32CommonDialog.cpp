// Open and Save dialogs with the title, filter and file name kept by CommonDialog.
#include "Win32CommonDialog.h"

#include "Unicode.h"

#include <string_view>
#include <vector>
#include <windows.h>
// After windows.h, which it needs; WIN32_LEAN_AND_MEAN leaves it out of windows.h itself.
#include <commdlg.h>
#undef MessageBox

namespace {

// Room for the longest path the system takes, and its terminating NUL.
constexpr std::size_t kPathRoom = 32768;

std::string_view Trimmed(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) {
        return {};
    }
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
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

std::wstring FilterListOf(const std::string& filter) {
    const std::vector<std::string_view> parts = Split(filter, '|');
    std::wstring list;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string patterns;
        for (const std::string_view pattern : Split(parts[i + 1], ';')) {
            if (Trimmed(pattern).empty()) {
                continue;
            }
            if (!patterns.empty()) {
                patterns += ';';
            }
            patterns += Trimmed(pattern);
        }
        if (patterns.empty()) {
            continue;
        }
        list += WideFromUtf8(Trimmed(parts[i]));
        list += L'\0';
        list += WideFromUtf8(patterns);
        list += L'\0';
    }
    if (!list.empty()) {
        list += L'\0';
    }
    return list;
}

bool Win32CommonDialog::ShowOpen() {
    return Show(false);
}

bool Win32CommonDialog::ShowSave() {
    return Show(true);
}

bool Win32CommonDialog::Show(bool save) {
    const std::wstring title = WideFromUtf8(DialogTitle);
    const std::wstring filters = FilterListOf(Filter);
    std::wstring initial = WideFromUtf8(FileName);
    if (initial.size() >= kPathRoom) {
        initial.clear();
    }
    std::vector<wchar_t> file(kPathRoom, L'\0');
    std::copy(initial.begin(), initial.end(), file.begin());

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = m_owner;
    dialog.lpstrFilter = filters.empty() ? nullptr : filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    // The working directory stays where it was: a relative path given later still means what it meant.
    dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    dialog.Flags |= save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;

    const BOOL chosen = save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
    // A cancelled or failed dialog (CommDlgExtendedError tells which) reports no file, never the name it held.
    if (!chosen) {
        FileName.clear();
        return false;
    }
    FileName = Utf8FromWide(file.data());
    return true;
}
