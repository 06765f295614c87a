// The main window's controls and menus in plain Win32, built from frmMain's description and laid out for its DPI.
#include "Win32MainWindow.h"

#include "Resources.h"
#include "Unicode.h"
#include "Win32CommonDialog.h"
#include "Win32MessageBox.h"

#include <windows.h>

#include <commctrl.h>
#include <cwchar>
#include <shellapi.h>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

constexpr wchar_t kClassName[] = L"TarvenneMainWindow";
// A fixed frame that can be minimised: nothing in the window follows a change of size.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// The button answers to IDOK as well, so that Enter reaches it by every road IsDialogMessage takes.
constexpr int kButtonId = IDOK;
constexpr int kLabelId = 10;
// A menu item's command is its identifier less this base.
constexpr UINT kMenuIdBase = 100;
// Posted to itself: convert the list the program was started with, now that the message loop runs.
constexpr UINT kConvertPendingMessage = WM_APP + 1;

// What went wrong, with the system's error code, for the message that the window cannot open.
std::runtime_error SystemFailure(const std::string& what) {
    return std::runtime_error(what + " (system error " + std::to_string(GetLastError()) + ")");
}

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

// Twips to pixels at dpi, rounded to the nearest pixel: 15 twips to a pixel at 96 dpi.
int Pixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}

// Tahoma 8.25 pt as Windows sizes it: the character height in pixels, negative, rounded as MulDiv rounds.
HFONT CreateWindowFont(UINT dpi) {
    LOGFONTW font{};
    const int hundredthsOfPoint = static_cast<int>(frmMain::kFont.points * 100 + 0.5);
    font.lfHeight = -MulDiv(hundredthsOfPoint, static_cast<int>(dpi), 72 * 100);
    font.lfWeight = frmMain::kFont.weight;
    // ANSI_CHARSET and the default precisions and quality are 0; without Tahoma, the mapper picks a sans-serif font.
    font.lfPitchAndFamily = FF_SWISS;
    const std::wstring face = WideFromUtf8(frmMain::kFont.face);
    wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

HICON LoadProgramIcon(const Win32Dpi& dpis, int metric, UINT dpi) {
    const int size = dpis.SystemMetric(metric, dpi);
    return static_cast<HICON>(
        LoadImageW(Instance(), MAKEINTRESOURCEW(IDI_TARVENNE), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// The first file of a drop, which the drop no longer holds afterwards.
std::string FirstDroppedFile(HDROP drop) {
    std::wstring path;
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
        path.resize(DragQueryFileW(drop, 0, nullptr, 0) + 1);
        path.resize(DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size())));
    }
    DragFinish(drop);
    return Utf8FromWide(path);
}

HMENU BuildMenuBar() {
    HMENU bar = CreateMenu();
    for (const MenuDescription& menu : frmMain::Menus()) {
        HMENU popup = CreatePopupMenu();
        for (const MenuItemDescription& item : menu.items) {
            if (item.IsSeparator()) {
                AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
            } else {
                AppendMenuW(popup, MF_STRING, kMenuIdBase + static_cast<UINT>(item.command),
                            WideFromUtf8(item.text).c_str());
            }
        }
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), WideFromUtf8(menu.text).c_str());
    }
    return bar;
}

} // namespace

struct Win32MainWindow::State {
    Win32Dpi dpis;
    HWND window = nullptr;
    HWND cmdYzToRKL = nullptr;
    HWND label1 = nullptr;
    HFONT font = nullptr;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    std::unique_ptr<Win32MessageBox> messageBox;
    std::unique_ptr<Win32CommonDialog> cmnDlg;
    std::unique_ptr<frmMain> form;
    std::string pendingInput; // the list to convert once the message loop runs

    HWND CreateControl(const wchar_t* windowClass, DWORD style, int id, const ControlDescription& description) {
        return CreateWindowExW(0, windowClass, WideFromUtf8(description.text).c_str(), WS_CHILD | WS_VISIBLE | style, 0,
                               0, 0, 0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
    }

    // The font, the icons and the control positions for dpi.
    void Layout(UINT dpi) {
        const HFONT oldFont = std::exchange(font, CreateWindowFont(dpi));
        const HICON oldIcons[] = {std::exchange(bigIcon, LoadProgramIcon(dpis, SM_CXICON, dpi)),
                                  std::exchange(smallIcon, LoadProgramIcon(dpis, SM_CXSMICON, dpi))};
        SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
        SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));

        const std::pair<HWND, const ControlDescription*> controls[] = {{cmdYzToRKL, &frmMain::kCmdYzToRKL},
                                                                       {label1, &frmMain::kLabel1}};
        for (const auto& [control, description] : controls) {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
            const TwipsRect& rect = description->rect;
            SetWindowPos(control, nullptr, Pixels(rect.left, dpi), Pixels(rect.top, dpi), Pixels(rect.width, dpi),
                         Pixels(rect.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
        }
        // Only now that no control uses them any more; none the first time.
        DeleteObject(oldFont);
        for (HICON old : oldIcons) {
            DestroyIcon(old);
        }
    }

    // Moves the window to left, top and sizes it so that its client area is the described size at dpi.
    void ResizeWindow(UINT dpi, int left, int top) {
        const int width = Pixels(frmMain::kClientWidth, dpi);
        const int height = Pixels(frmMain::kClientHeight, dpi);
        RECT frame{0, 0, width, height};
        dpis.AdjustWindowRect(frame, kStyle, true, 0, dpi);
        SetWindowPos(window, nullptr, left, top, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        // A menu bar wrapped onto more lines takes more height than AdjustWindowRectEx counts: make up the difference.
        RECT client{};
        GetClientRect(window, &client);
        const int missingWidth = width - (client.right - client.left);
        const int missingHeight = height - (client.bottom - client.top);
        if (missingWidth != 0 || missingHeight != 0) {
            SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + missingWidth,
                         frame.bottom - frame.top + missingHeight, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
        }
    }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_COMMAND:
            if (form && LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED) {
                form->cmdYzToRKL_Click();
            } else if (form && LOWORD(wParam) > kMenuIdBase) {
                form->Invoke(static_cast<MenuCommand>(LOWORD(wParam) - kMenuIdBase));
            }
            return 0;
        case WM_DROPFILES: {
            const std::string dropped = FirstDroppedFile(reinterpret_cast<HDROP>(wParam));
            // While a dialog or a box of the window is open the window is disabled: a drop then waits for nothing.
            if (form && !dropped.empty() && IsWindowEnabled(window)) {
                SetForegroundWindow(window);
                form->ConvertPicked(dropped);
            }
            return 0;
        }
        case kConvertPendingMessage:
            if (form && !pendingInput.empty()) {
                form->ConvertPicked(std::exchange(pendingInput, {}));
            }
            return 0;
        case DM_GETDEFID:
            // Enter presses the button, wherever the focus is.
            return MAKELRESULT(kButtonId, DC_HASDEFID);
        case WM_SETFOCUS:
            // The window takes no keys: the focus goes on to the button, also on coming back after a box or a dialog.
            if (cmdYzToRKL != nullptr) {
                SetFocus(cmdYzToRKL);
            }
            return 0;
        case WM_DPICHANGED: {
            // Moved to a monitor with another scaling: Windows suggests where the window goes; its size is ours.
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            const UINT dpi = HIWORD(wParam);
            Layout(dpi);
            ResizeWindow(dpi, suggested->left, suggested->top);
            return 0;
        }
        case WM_DESTROY:
            // Closing the window, or File, Exit: the last window of the program is gone, and so is the program.
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY: {
            HWND destroyed = window;
            window = cmdYzToRKL = label1 = nullptr;
            return DefWindowProcW(destroyed, message, wParam, lParam);
        }
        default:
            break;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* state = static_cast<State*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
            state->window = window;
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        }
        auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (state == nullptr || state->window != window) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        return state->Handle(message, wParam, lParam);
    }
};

Win32MainWindow::Win32MainWindow(std::string applicationDirectory, Win32Dpi dpis)
    : m_state(std::make_unique<State>(dpis)) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &State::WindowProc;
    windowClass.hInstance = Instance();
    windowClass.hIcon = LoadIconW(Instance(), MAKEINTRESOURCEW(IDI_TARVENNE));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw SystemFailure("Windows did not register the window class");
    }

    State& state = *m_state;
    HMENU menuBar = BuildMenuBar();
    // Sized once Windows has placed it, for the monitor it is on.
    HWND window = CreateWindowExW(0, kClassName, WideFromUtf8(frmMain::Caption()).c_str(), kStyle, CW_USEDEFAULT, 0, 0,
                                  0, nullptr, menuBar, Instance(), &state);
    if (window == nullptr) {
        const std::runtime_error failure = SystemFailure("Windows did not create the window");
        DestroyMenu(menuBar);
        throw failure;
    }
    // In tab order: the button, the only control that takes the focus, then the label.
    state.cmdYzToRKL =
        state.CreateControl(WC_BUTTONW, WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, kButtonId, frmMain::kCmdYzToRKL);
    state.label1 = state.CreateControl(WC_STATICW, SS_CENTER | SS_NOPREFIX, kLabelId, frmMain::kLabel1);
    if (state.cmdYzToRKL == nullptr || state.label1 == nullptr) {
        const std::runtime_error failure = SystemFailure("Windows did not create the window's controls");
        // The window must not outlive the state its procedure reads.
        DestroyWindow(window);
        throw failure;
    }

    const UINT dpi = state.dpis.ForWindow(window);
    state.Layout(dpi);
    RECT placed{};
    GetWindowRect(window, &placed);
    state.ResizeWindow(dpi, placed.left, placed.top);

    state.messageBox = std::make_unique<Win32MessageBox>(window);
    state.cmnDlg = std::make_unique<Win32CommonDialog>(window);
    state.form = std::make_unique<frmMain>(frmMain::Services{
        *state.messageBox, *state.cmnDlg, [&state] { DestroyWindow(state.window); },
        [&state](const std::string& text) { SetWindowTextW(state.label1, WideFromUtf8(text).c_str()); },
        std::move(applicationDirectory)});
    state.form->Form_Load();
    // A list dropped on the window converts as one picked in the Open dialog.
    DragAcceptFiles(window, TRUE);
}

Win32MainWindow::~Win32MainWindow() {
    DestroyWindow(m_state->window); // none when it has gone already
    // The font and the icons, once the window that used them has gone.
    DeleteObject(m_state->font);
    DestroyIcon(m_state->bigIcon);
    DestroyIcon(m_state->smallIcon);
}

void Win32MainWindow::Show(int showCommand) {
    ShowWindow(m_state->window, showCommand);
    UpdateWindow(m_state->window);
}

void Win32MainWindow::ConvertInMessageLoop(const std::string& inputPath) {
    m_state->pendingInput = inputPath;
    PostMessageW(m_state->window, kConvertPendingMessage, 0, 0);
}

int Win32MainWindow::RunMessageLoop() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (m_state->window != nullptr && IsDialogMessageW(m_state->window, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

void Win32MainWindow::InitCommonControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);
}

HWND__* Win32MainWindow::Handle() const {
    return m_state->window;
}
