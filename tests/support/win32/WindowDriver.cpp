// Finding, reading and answering the windows of a program under test with user32.
#include "WindowDriver.h"

#include "Unicode.h"

#include <windows.h>

namespace win32test {

namespace {

// The control ids of Windows' dialogs (winuser.h, dlgs.h), the same under Wine.
constexpr int kPrompt = 0xFFFF;   // the prompt of a message box
constexpr int kNameCombo = 0x47C; // cmb13: the file name of an Open or Save dialog

// Long enough for a busy program to answer, short enough that a hung one fails the test instead of stopping it.
LRESULT SendBounded(Window window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result) != 0
               ? static_cast<LRESULT>(result)
               : 0;
}

// The box that takes the file name: under Wine and Windows alike cmb13 holds a combo box holding an Edit.
Window FileNameBox(Window dialog) {
    Window combo = GetDlgItem(dialog, kNameCombo);
    Window inner = combo != nullptr ? FindWindowExW(combo, nullptr, L"ComboBox", nullptr) : nullptr;
    return inner != nullptr ? FindWindowExW(inner, nullptr, L"Edit", nullptr) : nullptr;
}

} // namespace

std::vector<Window> TopLevelWindows(unsigned long processId) {
    std::vector<Window> found;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, nullptr, nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window)) {
            found.push_back(window);
        }
    }
    return found;
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
    return Utf8FromWide(std::wstring_view(name, static_cast<std::size_t>(GetClassNameW(window, name, 256))));
}

Window WaitForWindow(unsigned long processId, Timeout timeout, const std::function<bool(Window)>& match) {
    return Poll(timeout, [&]() -> Window {
        for (Window window : TopLevelWindows(processId)) {
            if (match(window)) {
                return window;
            }
        }
        return nullptr;
    });
}

bool PressButton(Window dialog, int buttonId) {
    // Posted, not sent: the click may open a modal dialog, and the test must go on to drive it.
    Window button = GetDlgItem(dialog, buttonId);
    return button != nullptr &&
           PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

bool IsMessageBox(Window window) {
    return ClassName(window) == "#32770" && GetDlgItem(window, kPrompt) != nullptr && FileNameBox(window) == nullptr;
}

std::string MessageBoxText(Window box) {
    // On a loaded machine Wine shows the box a moment before it sets the prompt, and every prompt has some text.
    const Window prompt = GetDlgItem(box, kPrompt);
    Poll(Timeout(3000), [&] { return SendBounded(prompt, WM_GETTEXTLENGTH, 0, 0) > 0; });
    return WindowText(prompt);
}

Window WaitForFileDialog(unsigned long processId, const std::string& title, Timeout timeout) {
    return WaitForWindow(processId, timeout, [&](Window window) {
        return ClassName(window) == "#32770" && FileNameBox(window) != nullptr && WindowText(window) == title;
    });
}

bool PickFile(Window dialog, const std::string& name) {
    Window box = FileNameBox(dialog);
    const std::wstring text = WideFromUtf8(name);
    return box != nullptr && SendBounded(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) &&
           PressButton(dialog, kOk);
}

} // namespace win32test
