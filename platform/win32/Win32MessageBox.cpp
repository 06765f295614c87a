// Shows the program's message boxes as dialogs of our own, laid out as MessageBoxW lays out its boxes but sized for
// the whole prompt: MessageBoxW cuts a path wider than the screen, and its fixed tab stops cannot line up columns.
#include "Win32MessageBox.h"

#include "Unicode.h"

#include <windows.h>
#undef MessageBox

#include <algorithm>
#include <cmath>
#include <vector>

// The style values are MessageBoxW's own.
static_assert(static_cast<unsigned>(MsgBoxStyle::OkOnly) == MB_OK &&
              static_cast<unsigned>(MsgBoxStyle::Critical) == MB_ICONERROR &&
              static_cast<unsigned>(MsgBoxStyle::Information) == MB_ICONINFORMATION);

unsigned MessageBoxStyleOf(MsgBoxStyle style) {
    return static_cast<unsigned>(style) | MB_SETFOREGROUND;
}

std::wstring ShownPrompt(const std::string& prompt) {
    std::wstring shown;
    for (const wchar_t c : WideFromUtf8(prompt)) {
        if (c == L'\t' && !shown.empty() && shown.back() == L'\t') {
            continue;
        }
        // An edit control breaks lines only at CR LF.
        if (c == L'\n' && (shown.empty() || shown.back() != L'\r')) {
            shown += L'\r';
        }
        shown += c;
    }
    return shown;
}

namespace {

// The prompt's identifier in the system's own message boxes, which tools that read boxes look for.
constexpr int kPromptId = 0xFFFF;
constexpr int kIconId = 20;
// Edit controls count tab stops in quarters of this average width (the alphabet's, not the font's own average).
constexpr wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

struct Box {
    std::wstring prompt;
    HICON icon; // none for a box without an icon
    HWND owner;
};

// An empty box in the system's message font (scaled by fontScale); WM_INITDIALOG adds and places the controls, once
// the dialog manager has made the font for the box's DPI.
std::vector<WORD> DialogTemplate(const std::wstring& title, double fontScale) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    HDC screen = GetDC(nullptr);
    const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const double points = std::abs(metrics.lfMessageFont.lfHeight) * 72.0 / std::max(systemDpi, 1) * fontScale;

    // In front, so that a box shown before any window of the program is seen (MB_SETFOREGROUND).
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_SETFOREGROUND;
    std::vector<WORD> words = {
        LOWORD(style), HIWORD(style), 0, 0, 0 /* controls */, 0, 0, 100, 50, 0 /* menu */, 0 /* class */};
    words.insert(words.end(), title.begin(), title.end());
    words.push_back(0);
    words.push_back(static_cast<WORD>(std::max(1L, std::lround(points))));
    const std::wstring face = metrics.lfMessageFont.lfFaceName;
    words.insert(words.end(), face.begin(), face.end());
    words.push_back(0);
    return words;
}

int TextWidth(HDC dc, std::wstring_view text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

std::vector<std::wstring_view> Split(std::wstring_view text, std::wstring_view separator) {
    std::vector<std::wstring_view> parts;
    for (std::size_t at = 0;;) {
        const std::size_t end = text.find(separator, at);
        parts.push_back(text.substr(at, end == std::wstring_view::npos ? std::wstring_view::npos : end - at));
        if (end == std::wstring_view::npos) {
            return parts;
        }
        at = end + separator.size();
    }
}

// The tab stops (in the edit control's units) that line up the TAB-separated columns of the prompt's lines, each
// column as wide as its widest cell and a gap; and the width of the widest line laid out with them.
struct Columns {
    std::vector<int> tabStops;
    int widestLine = 0;
};

Columns ColumnsOf(HDC dc, const std::wstring& prompt) {
    const int average = (TextWidth(dc, kAlphabet) / 26 + 1) / 2;
    const int gap = 2 * average;
    std::vector<std::vector<std::wstring_view>> lines;
    std::vector<int> widestCell;
    for (std::wstring_view line : Split(prompt, L"\r\n")) {
        lines.push_back(Split(line, L"\t"));
        for (std::size_t cell = 0; cell + 1 < lines.back().size(); ++cell) {
            widestCell.resize(std::max(widestCell.size(), cell + 1));
            widestCell[cell] = std::max(widestCell[cell], TextWidth(dc, lines.back()[cell]));
        }
    }
    Columns columns;
    std::vector<int> stopPixels;
    for (const int width : widestCell) {
        const int pixels = (stopPixels.empty() ? 0 : stopPixels.back()) + width + gap;
        const int units = (pixels * 4 + average - 1) / std::max(average, 1);
        columns.tabStops.push_back(units);
        stopPixels.push_back(units * average / 4);
    }
    for (const std::vector<std::wstring_view>& cells : lines) {
        const int start = cells.size() > 1 ? stopPixels[cells.size() - 2] : 0;
        columns.widestLine = std::max(columns.widestLine, start + TextWidth(dc, cells.back()));
    }
    return columns;
}

HWND CreateChild(HWND dialog, const wchar_t* windowClass, const wchar_t* text, DWORD style, int id, HFONT font) {
    HWND child = CreateWindowExW(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

// Places the icon, the prompt and OK, and sizes and centres the box within the work area before it is shown: as
// wide as its widest line where the screen has room, the prompt wrapped (a long path broken anywhere) where it has
// not, and scrolled where even that is too tall.
void LayOut(HWND dialog, const Box& box) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    RECT units{7, 7, 50, 14}; // the margin, and OK's size, in dialog units as the system's boxes have them
    MapDialogRect(dialog, &units);
    const int margin = units.left;
    const int buttonWidth = units.right;
    const int buttonHeight = units.bottom;

    HDC dc = GetDC(dialog);
    const HGDIOBJ oldFont = SelectObject(dc, font);
    const Columns columns = ColumnsOf(dc, box.prompt);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int lineHeight = metrics.tmHeight;
    SelectObject(dc, oldFont);
    ReleaseDC(dialog, dc);

    HWND icon = nullptr;
    int iconSize = 0; // square
    if (box.icon != nullptr) {
        icon = CreateChild(dialog, L"Static", nullptr, SS_ICON, kIconId, font);
        SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(box.icon), 0);
        iconSize = GetSystemMetrics(SM_CXICON);
    }
    HWND prompt = CreateChild(dialog, L"Edit", nullptr, ES_MULTILINE | ES_READONLY, kPromptId, font);
    std::vector<int> stops = columns.tabStops;
    SendMessageW(prompt, EM_SETTABSTOPS, stops.size(), reinterpret_cast<LPARAM>(stops.data()));
    HWND ok = CreateChild(dialog, L"Button", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, IDOK, font);

    // What the frame, and the edit control's own margins around its text, take.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(box.owner != nullptr ? box.owner : dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT work = monitor.rcWork;
    RECT frame{}, client{};
    GetWindowRect(dialog, &frame);
    GetClientRect(dialog, &client);
    const SIZE frameSize{(frame.right - frame.left) - client.right, (frame.bottom - frame.top) - client.bottom};
    SetWindowPos(prompt, nullptr, 0, 0, 1000, 1000, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT format{};
    SendMessageW(prompt, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const int insets = 1000 - (format.right - format.left) + 1;

    const int textLeft = margin + (icon != nullptr ? iconSize + margin : 0);
    const int widest = (work.right - work.left) - frameSize.cx - textLeft - margin;
    int width = std::max(1, std::min(columns.widestLine + insets, widest));
    SetWindowPos(prompt, nullptr, 0, 0, width, 30000, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowTextW(prompt, box.prompt.c_str());
    const int tallest = (work.bottom - work.top) - frameSize.cy - 3 * margin - buttonHeight;
    int height = static_cast<int>(SendMessageW(prompt, EM_GETLINECOUNT, 0, 0)) * lineHeight;
    if (height > tallest) {
        // Too long for the screen even wrapped: the rest is scrolled to.
        SetWindowLongPtrW(prompt, GWL_STYLE, GetWindowLongPtrW(prompt, GWL_STYLE) | WS_VSCROLL);
        width = std::min(width + GetSystemMetrics(SM_CXVSCROLL), widest);
        height = std::max(tallest, lineHeight);
    }
    const int top = margin + std::max(0, (iconSize - height) / 2);
    SetWindowPos(prompt, nullptr, textLeft, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (icon != nullptr) {
        SetWindowPos(icon, nullptr, margin, margin, iconSize, iconSize, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    const int clientWidth = std::max(textLeft + width + margin, buttonWidth + 2 * margin);
    const int clientHeight = margin + std::max(height, iconSize) + 2 * margin + buttonHeight;
    SetWindowPos(ok, nullptr, clientWidth - margin - buttonWidth, clientHeight - margin - buttonHeight, buttonWidth,
                 buttonHeight, SWP_NOZORDER | SWP_NOACTIVATE);

    // Centred on the owner, or on the work area, and kept within the work area.
    const SIZE size{clientWidth + frameSize.cx, clientHeight + frameSize.cy};
    RECT over = work;
    if (box.owner != nullptr && IsWindowVisible(box.owner) && !IsIconic(box.owner)) {
        GetWindowRect(box.owner, &over);
    }
    const LONG left =
        std::clamp((over.left + over.right - size.cx) / 2, work.left, std::max(work.left, work.right - size.cx));
    const LONG topEdge =
        std::clamp((over.top + over.bottom - size.cy) / 2, work.top, std::max(work.top, work.bottom - size.cy));
    // On top and active: the keyboard goes to the box, also when the program has no other window.
    SetWindowPos(dialog, HWND_TOP, left, topEdge, size.cx, size.cy, 0);
}

INT_PTR CALLBACK BoxProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        LayOut(dialog, *reinterpret_cast<const Box*>(lParam));
        return TRUE; // the focus goes to OK, the only control that takes it
    case WM_COMMAND:
        // OK, Enter, Escape and the close button all close it.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace

void Win32MessageBox::Show(const std::string& prompt, MsgBoxStyle style, const std::string& title) {
    // A window that has gone since it was made the owner would keep the box from showing at all.
    HWND owner = m_owner != nullptr && ::IsWindow(m_owner) ? m_owner : nullptr;
    const unsigned icon = MessageBoxStyleOf(style) & MB_ICONMASK;
    const Box box{ShownPrompt(prompt),
                  icon == MB_ICONERROR         ? LoadIconW(nullptr, IDI_ERROR)
                  : icon == MB_ICONINFORMATION ? LoadIconW(nullptr, IDI_INFORMATION)
                                               : nullptr,
                  owner};
    const std::vector<WORD> dialog = DialogTemplate(WideFromUtf8(title), m_fontScale);
    MessageBeep(icon);
    // Modal to the owner; without one, no other window of the program is open.
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(dialog.data()), owner,
                            &BoxProcedure, reinterpret_cast<LPARAM>(&box));
}
