// Finding, reading and working the windows of a program under test with user32 and gdi32.
#include "WindowDriver.h"

#include "Unicode.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <utility>

namespace win32test {

namespace {

using Clock = std::chrono::steady_clock;

// Long enough for a busy program to answer, short enough that a hung one fails the test instead of stopping it.
constexpr UINT kAnswerMilliseconds = 5000;
constexpr Timeout kPollInterval(10);

// Polls until found returns something or the timeout passes, dispatching our own messages meanwhile.
template <typename Find> auto Poll(Timeout timeout, Find find) -> decltype(find()) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (auto found = find()) {
            return found;
        }
        if (Clock::now() >= deadline) {
            return {};
        }
        PumpMessages(kPollInterval);
    }
}

LRESULT SendBounded(Window window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMilliseconds, &result) == 0) {
        return 0;
    }
    return static_cast<LRESULT>(result);
}

LONG Style(Window window) {
    return GetWindowLongW(window, GWL_STYLE);
}

bool IsIconControl(Window control) {
    return ClassName(control) == "Static" && (Style(control) & SS_TYPEMASK) == SS_ICON;
}

// A picture of part of the screen, or of an icon drawn on a plain background, as 32-bit pixels.
using Pixels = std::vector<std::uint32_t>;

// Draws into a fresh 32-bit bitmap of the given size and returns its pixels.
template <typename Draw> Pixels Paint(int width, int height, Draw draw) {
    Pixels pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        draw(memory, screen, static_cast<std::uint32_t*>(bits));
        GdiFlush();
        std::copy_n(static_cast<const std::uint32_t*>(bits), pixels.size(), pixels.begin());
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

Pixels CaptureScreen(const RECT& area) {
    return Paint(area.right - area.left, area.bottom - area.top, [&](HDC memory, HDC screen, std::uint32_t*) {
        BitBlt(memory, 0, 0, area.right - area.left, area.bottom - area.top, screen, area.left, area.top, SRCCOPY);
    });
}

Pixels DrawIcon(HICON icon, int width, int height, std::uint32_t background) {
    return Paint(width, height, [&](HDC memory, HDC, std::uint32_t* bits) {
        std::fill_n(bits, static_cast<std::size_t>(width) * static_cast<std::size_t>(height), background);
        DrawIconEx(memory, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    });
}

// Pixels that differ clearly in any colour; a little tolerance for the blending of the icon's soft edges.
std::size_t Mismatches(const Pixels& left, const Pixels& right) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < left.size() && i < right.size(); ++i) {
        for (int shift = 0; shift < 24; shift += 8) {
            if (std::abs(static_cast<int>((left[i] >> shift) & 0xFF) - static_cast<int>((right[i] >> shift) & 0xFF)) >
                40) {
                ++count;
                break;
            }
        }
    }
    return count;
}

// The right to read the screen, held by one test process of the session at a time, for a few seconds at most.
class ScreenTurn {
public:
    ScreenTurn() : m_mutex(CreateMutexW(nullptr, FALSE, L"Local\\TarvenneTestScreenTurn")) {
        // WAIT_ABANDONED hands over the turn of a test that died holding it.
        const DWORD waited = m_mutex != nullptr ? WaitForSingleObject(m_mutex, 10000) : WAIT_FAILED;
        m_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    ~ScreenTurn() {
        if (m_held) {
            ReleaseMutex(m_mutex);
        }
        if (m_mutex != nullptr) {
            CloseHandle(m_mutex);
        }
    }
    ScreenTurn(const ScreenTurn&) = delete;
    ScreenTurn& operator=(const ScreenTurn&) = delete;

private:
    HANDLE m_mutex;
    bool m_held = false;
};

struct KnownIcon {
    std::uintptr_t resource; // IDI_ERROR and its kin, whose macros are narrow without UNICODE
    BoxIcon icon;
};

const KnownIcon kKnownIcons[] = {{32513, BoxIcon::Error},       // IDI_ERROR (IDI_HAND)
                                 {32516, BoxIcon::Information}, // IDI_INFORMATION
                                 {32515, BoxIcon::Other},       // IDI_WARNING
                                 {32514, BoxIcon::Other}};      // IDI_QUESTION

HICON SystemIcon(const KnownIcon& known) {
    return LoadIconW(nullptr, reinterpret_cast<const wchar_t*>(known.resource));
}

// Which icon a message box shows. The icon handle is the box's own: on Windows the system's icons are shared by all
// processes, so the handle tells; under Wine every process loads its own copy and cannot read another's, so the
// icon is told by its picture on the screen against the system's icons drawn here the same size.
BoxIcon IconOf(Window box) {
    Window control = nullptr;
    for (Window child : FindControls(box, "Static")) {
        if (IsIconControl(child)) {
            control = child;
            break;
        }
    }
    if (control == nullptr || !IsWindowVisible(control)) {
        return BoxIcon::None;
    }
    const auto shown = reinterpret_cast<HICON>(SendBounded(control, STM_GETICON, 0, 0));
    if (shown == nullptr) {
        return BoxIcon::None; // Wine keeps the control, empty, in a box without an icon
    }
    for (const KnownIcon& known : kKnownIcons) {
        if (SystemIcon(known) == shown) {
            return known.icon;
        }
    }
    RECT area{};
    GetWindowRect(control, &area);
    // A long prompt makes a box larger than the screen, centred, with its icon far off the screen: move the box to
    // the screen's corner first, so that the icon can be seen.
    const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                      GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    if (area.left < screen.left || area.top < screen.top || area.right > screen.right || area.bottom > screen.bottom) {
        // Asynchronous, so that a box that does not answer cannot stop the test here.
        SetWindowPos(box, nullptr, screen.left, screen.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
        Poll(Timeout(3000), [&] {
            GetWindowRect(control, &area);
            return area.left >= screen.left && area.top >= screen.top;
        });
    }
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) {
        return BoxIcon::Other;
    }
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    // What the screen shows there may not be this box yet: the box it follows may still show, or another test's box
    // may lie on it, or have lain there a moment ago. So one reader at a time, across the processes of the session,
    // brings its box to the top and has it paint its icon afresh; a picture counts once the box has painted and gone
    // back to its message loop (where Wine hands the painting to the screen), and two pictures a moment apart agree,
    // with this box the window seen there throughout. That is sound while one test at a time shows boxes; with
    // several side by side, Wine may still show another box's picture for a while (a few reads in a hundred went
    // wrong that way), so such tests share one desktop lock in CTest.
    const ScreenTurn turn;
    const POINT middle{(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    const auto boxIsSeen = [&] { return GetAncestor(WindowFromPoint(middle), GA_ROOT) == box; };
    const auto repaint = [&] {
        if (!boxIsSeen()) {
            SetWindowPos(box, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
        }
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    };
    repaint();
    Pixels previous;
    const std::optional<BoxIcon> icon = Poll(Timeout(5000), [&]() -> std::optional<BoxIcon> {
        if (!boxIsSeen()) {
            repaint();
            previous.clear();
            return std::nullopt;
        }
        if (GetUpdateRect(control, nullptr, FALSE)) {
            return std::nullopt; // not painted yet
        }
        SendBounded(box, WM_NULL, 0, 0);
        Pixels seen = CaptureScreen(area);
        if (!boxIsSeen()) {
            previous.clear();
            return std::nullopt;
        }
        const bool steady = seen == previous;
        previous = std::move(seen);
        if (!steady) {
            return std::nullopt;
        }
        std::optional<BoxIcon> best;
        std::size_t fewest = pixels / 10 + 1;
        for (const KnownIcon& known : kKnownIcons) {
            // A corner of the control shows the dialog's background.
            const std::size_t count =
                Mismatches(previous, DrawIcon(SystemIcon(known), width, height, previous.front()));
            if (count < fewest) {
                fewest = count;
                best = known.icon;
            }
        }
        return best;
    });
    return icon.value_or(BoxIcon::Other);
}

} // namespace

std::vector<Window> TopLevelWindows(unsigned long processId) {
    struct Search {
        unsigned long processId;
        std::vector<Window> found;
    } search{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& state = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == state.processId && IsWindowVisible(window)) {
                state.found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(Window window) {
    // WM_GETTEXT rather than GetWindowTextW, which reads only captions in another process, not the text of a control.
    const auto length = SendBounded(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied = SendBounded(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return Utf8FromWide(text);
}

std::string ClassName(Window window) {
    wchar_t name[256];
    const int length = GetClassNameW(window, name, 256);
    return Utf8FromWide(std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0)));
}

Rect ClientRect(Window window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

Rect ScreenRect(Window window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

bool IsVisible(Window window) {
    return IsWindowVisible(window) != FALSE;
}

bool Exists(Window window) {
    return IsWindow(window) != FALSE;
}

Window WaitForWindow(unsigned long processId, const std::string& title, Timeout timeout, const std::string& className) {
    return Poll(timeout, [&]() -> Window {
        for (Window window : TopLevelWindows(processId)) {
            if (WindowText(window) == title && (className.empty() || ClassName(window) == className)) {
                return window;
            }
        }
        return nullptr;
    });
}

bool WaitUntilGone(Window window, Timeout timeout) {
    return Poll(timeout, [&] { return !IsWindow(window) || !IsWindowVisible(window); });
}

void PumpMessages(Timeout duration) {
    const auto deadline = Clock::now() + duration;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        const auto left = std::chrono::duration_cast<Timeout>(deadline - Clock::now());
        if (left.count() <= 0) {
            return;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
    }
}

std::vector<Window> FindControls(Window parent, const std::string& className, const std::optional<std::string>& text) {
    struct Search {
        const std::string& className;
        const std::optional<std::string>& text;
        std::vector<Window> found;
    } search{className, text, {}};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto& state = *reinterpret_cast<Search*>(data);
            if (ClassName(child) == state.className && (!state.text || WindowText(child) == *state.text)) {
                state.found.push_back(child);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Window FindControl(Window parent, const std::string& className, const std::optional<std::string>& text) {
    const std::vector<Window> found = FindControls(parent, className, text);
    return found.empty() ? nullptr : found.front();
}

Window ControlById(Window parent, int id) {
    return GetDlgItem(parent, id);
}

int ControlId(Window control) {
    return GetDlgCtrlID(control);
}

void PressButton(Window button) {
    // Posted, not sent: the click may open a modal dialog, and the test must go on to drive it.
    PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

bool PressButton(Window dialog, int buttonId) {
    Window button = ControlById(dialog, buttonId);
    if (button == nullptr) {
        return false;
    }
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

namespace {

std::vector<MenuItem> ReadMenu(HMENU menu) {
    const int count = GetMenuItemCount(menu);
    if (count < 0) {
        throw std::runtime_error("the menu cannot be read from this process (under Wine a menu lives in the process "
                                 "that made it; create the window in the test's own process)");
    }
    std::vector<MenuItem> items;
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) {
            throw std::runtime_error("GetMenuItemInfoW failed (error " + std::to_string(GetLastError()) + ")");
        }
        // The second call, for the text, clears what it was not asked for (Wine does): keep the submenu first.
        const HMENU submenu = info.hSubMenu;
        MenuItem item;
        item.separator = (info.fType & MFT_SEPARATOR) != 0;
        item.grayed = (info.fState & MFS_GRAYED) != 0;
        item.id = submenu != nullptr ? 0 : info.wID;
        if (!item.separator && info.cch > 0) {
            std::wstring text(info.cch + 1, L'\0');
            info.fMask = MIIM_STRING;
            info.dwTypeData = text.data();
            info.cch = static_cast<UINT>(text.size());
            GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
            text.resize(info.cch);
            item.text = Utf8FromWide(text);
        }
        if (submenu != nullptr) {
            item.items = ReadMenu(submenu);
        }
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace

std::vector<MenuItem> MenuBar(Window window) {
    HMENU menu = GetMenu(window);
    return menu == nullptr ? std::vector<MenuItem>{} : ReadMenu(menu);
}

void ChooseMenuCommand(Window window, unsigned commandId) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

bool IsMessageBox(Window window) {
    if (ClassName(window) != "#32770") {
        return false;
    }
    Window text = ControlById(window, ids::kMessageBoxText);
    // A file dialog is a #32770 too, but it has a box to type into.
    return text != nullptr && ClassName(text) == "Static" && !IsIconControl(text) &&
           FindControl(window, "Edit") == nullptr;
}

Window WaitForMessageBox(unsigned long processId, Timeout timeout, const std::string& title) {
    return Poll(timeout, [&]() -> Window {
        for (Window window : TopLevelWindows(processId)) {
            if (IsMessageBox(window) && (title.empty() || WindowText(window) == title)) {
                return window;
            }
        }
        return nullptr;
    });
}

std::optional<ShownBox> ReadMessageBox(Window box) {
    if (box == nullptr) {
        return std::nullopt;
    }
    // A box can be listed before it is filled in: on a loaded machine Wine shows the box's window a moment before
    // it sets the prompt. Every prompt has some text, so an empty one is waited out (for a while; then read as it
    // is).
    const Window prompt = ControlById(box, ids::kMessageBoxText);
    const std::optional<std::string> filled = Poll(Timeout(3000), [&]() -> std::optional<std::string> {
        std::string text = WindowText(prompt);
        return text.empty() ? std::nullopt : std::optional(std::move(text));
    });
    return ShownBox{WindowText(box), filled.value_or(WindowText(prompt)), IconOf(box)};
}

bool AnswerMessageBox(Window box, int buttonId) {
    return PressButton(box, buttonId);
}

Window WaitForFileDialog(unsigned long processId, const std::string& title, Timeout timeout) {
    return Poll(timeout, [&]() -> Window {
        for (Window window : TopLevelWindows(processId)) {
            if (ClassName(window) == "#32770" && WindowText(window) == title && FileNameBox(window) != nullptr) {
                return window;
            }
        }
        return nullptr;
    });
}

Window FileNameBox(Window dialog) {
    // Under Wine and Windows alike cmb13 is a ComboBoxEx32 holding a ComboBox holding the Edit the dialog reads.
    if (Window combo = ControlById(dialog, ids::kFileNameCombo)) {
        return ClassName(combo) == "Edit" ? combo : FindControl(combo, "Edit");
    }
    return ControlById(dialog, ids::kFileNameEdit);
}

bool EnterFileName(Window dialog, const std::string& name) {
    Window box = FileNameBox(dialog);
    if (box == nullptr) {
        return false;
    }
    const std::wstring text = WideFromUtf8(name);
    SendBounded(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return true;
}

std::string FileName(Window dialog) {
    Window box = FileNameBox(dialog);
    return box == nullptr ? std::string() : WindowText(box);
}

bool PickFile(Window dialog, const std::string& name) {
    return EnterFileName(dialog, name) && PressButton(dialog, ids::kOk);
}

void Cancel(Window dialog) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

} // namespace win32test
