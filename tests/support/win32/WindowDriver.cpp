// Finding, reading and answering the windows of a program under test with user32.
#include "WindowDriver.h"

#include "Unicode.h"

#include <windows.h>

#include <thread>

namespace win32test {

namespace {

// The control ids of Windows' dialogs (winuser.h, dlgs.h), the same under Wine.
constexpr int kPrompt = 0xFFFF;   // the prompt of a message box
constexpr int kNameCombo = 0x47C; // cmb13: the file name of an explorer-style Open or Save dialog
constexpr int kNameEdit = 0x480;  // edt1: the same in an old-style one

// Polls until find returns something or the timeout passes.
template <typename Find> auto Poll(Timeout timeout, Find find) -> decltype(find()) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (auto found = find()) {
            return found;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return {};
        }
        std::this_thread::sleep_for(Timeout(10));
    }
}

// Long enough for a busy program to answer, short enough that a hung one fails the test instead of stopping it.
LRESULT SendBounded(Window window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result) != 0
               ? static_cast<LRESULT>(result)
               : 0;
}

// The first child, at any depth, of this class and style.
Window FindChild(Window parent, const std::string& className, LONG style = 0, LONG styleMask = 0) {
    struct Search {
        const std::string& className;
        LONG style;
        LONG mask;
        Window found = nullptr;
    } search{className, style, styleMask};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto& state = *reinterpret_cast<Search*>(data);
            if (ClassName(child) == state.className && (GetWindowLongW(child, GWL_STYLE) & state.mask) == state.style) {
                state.found = child;
            }
            return state.found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The box that takes the file name: under Wine and Windows alike cmb13 holds a combo box holding an Edit.
Window FileNameBox(Window dialog) {
    Window combo = GetDlgItem(dialog, kNameCombo);
    return combo != nullptr ? FindChild(combo, "Edit") : GetDlgItem(dialog, kNameEdit);
}

// The first visible top-level window of the process that matches, waited for.
template <typename Match> Window WaitFor(unsigned long processId, Timeout timeout, Match match) {
    return Poll(timeout, [&]() -> Window {
        for (Window window : TopLevelWindows(processId)) {
            if (match(window)) {
                return window;
            }
        }
        return nullptr;
    });
}

} // namespace

std::vector<Window> TopLevelWindows(unsigned long processId) {
    std::pair<unsigned long, std::vector<Window>> search{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& [id, found] = *reinterpret_cast<decltype(search)*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == id && IsWindowVisible(window)) {
                found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

std::string WindowText(Window window) {
    // WM_GETTEXT rather than GetWindowTextW, which reads only captions in another process, not the text of a control.
    std::wstring text(static_cast<std::size_t>(SendBounded(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(SendBounded(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return Utf8FromWide(text);
}

std::string ClassName(Window window) {
    wchar_t name[256];
    const int length = GetClassNameW(window, name, 256);
    return Utf8FromWide(std::wstring_view(name, static_cast<std::size_t>(length > 0 ? length : 0)));
}

Window WaitForWindow(unsigned long processId, const std::string& title, const std::string& className, Timeout timeout) {
    return WaitFor(processId, timeout,
                   [&](Window window) { return ClassName(window) == className && WindowText(window) == title; });
}

bool WaitUntilGone(Window window, Timeout timeout) {
    return Poll(timeout, [&] { return !IsWindow(window) || !IsWindowVisible(window); });
}

void PressButton(Window button) {
    // Posted, not sent: the click may open a modal dialog, and the test must go on to drive it.
    PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

bool PressButton(Window dialog, int buttonId) {
    Window button = GetDlgItem(dialog, buttonId);
    if (button != nullptr) {
        PressButton(button);
    }
    return button != nullptr;
}

void Cancel(Window dialog) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

bool IsMessageBox(Window window) {
    return ClassName(window) == "#32770" && GetDlgItem(window, kPrompt) != nullptr && FileNameBox(window) == nullptr;
}

Window WaitForMessageBox(unsigned long processId, Timeout timeout) {
    return WaitFor(processId, timeout, IsMessageBox);
}

std::string MessageBoxText(Window box) {
    // On a loaded machine Wine shows the box a moment before it sets the prompt, and every prompt has some text.
    const Window prompt = GetDlgItem(box, kPrompt);
    Poll(Timeout(3000), [&] { return SendBounded(prompt, WM_GETTEXTLENGTH, 0, 0) > 0; });
    return WindowText(prompt);
}

bool HasIcon(Window box) {
    // Wine keeps the icon's control, empty, in a box without an icon.
    const Window icon = FindChild(box, "Static", SS_ICON, SS_TYPEMASK);
    return icon != nullptr && IsWindowVisible(icon) && SendBounded(icon, STM_GETICON, 0, 0) != 0;
}

Window WaitForFileDialog(unsigned long processId, const std::string& title, Timeout timeout) {
    return WaitFor(processId, timeout, [&](Window window) {
        return ClassName(window) == "#32770" && FileNameBox(window) != nullptr && WindowText(window) == title;
    });
}

std::string FileName(Window dialog) {
    Window box = FileNameBox(dialog);
    return box != nullptr ? WindowText(box) : std::string();
}

bool PickFile(Window dialog, const std::string& name) {
    Window box = FileNameBox(dialog);
    if (box == nullptr) {
        return false;
    }
    const std::wstring text = WideFromUtf8(name);
    SendBounded(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return PressButton(dialog, kOk);
}

} // namespace win32test
