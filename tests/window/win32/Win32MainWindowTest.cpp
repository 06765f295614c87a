// The main window on Win32, as a user meets it: the real tarvenne.exe started without arguments, worked from outside
// with real keys and the real Open and Save dialogs, its boxes read and answered. What a window of this test's own
// process shows as well (its controls, menus, fonts and icon, which under Wine only the window's own process can
// read) is read there; and the resources Windows reads from tarvenne.exe before it runs.
#include "Win32MainWindow.h"
#include "Process.h"
#include "RunProgram.h"
#include "TestFiles.h"
#include "Unicode.h"
#include "WindowDriver.h"
#include "WorkedExample.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;
using namespace win32test;

namespace {

constexpr auto kDeadline = 20s;
constexpr const char* kOpenTitle = "Select your Y'z Dock itemlist";
constexpr const char* kSaveTitle = "Select where to save your file";

const std::string kConverted = kItemBlock + kSepBlock;

// Keys as the keyboard gives them, to whichever window has the focus: the program's own message loop must turn
// them into presses and menu commands.
void PressKeys(std::initializer_list<WORD> chord) {
    std::vector<INPUT> inputs;
    for (const DWORD flags : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
        for (WORD key : chord) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = key;
            input.ki.dwFlags = flags;
            inputs.push_back(input);
        }
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The window that has the keyboard focus in the thread that owns window.
HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// Whether a box shows an icon; which icon is the style's business (MessageBoxStyleOf). Wine keeps the icon's control,
// hidden and empty, in a box without one.
bool HasIcon(HWND box) {
    for (HWND control = nullptr; (control = FindWindowExW(box, control, L"Static", nullptr)) != nullptr;) {
        if ((GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(control) &&
            SendMessageW(control, STM_GETICON, 0, 0) != 0) {
            return true;
        }
    }
    return false;
}

// Brings window to the front, where the keyboard goes; false when it is not there by the deadline.
bool BringToFront(HWND window) {
    return Poll(kDeadline, [window] {
        SetForegroundWindow(window);
        return GetForegroundWindow() == window;
    });
}

// The real program in an application directory of its own, started without arguments, its main window open.
class Win32MainWindowTest : public testing::Test {
protected:
    TempDir m_dir;
    std::string m_app = m_dir / "app";
    std::string m_input = m_dir / "in put.ini";
    std::unique_ptr<ChildProcess> m_program;
    HWND m_window = nullptr;
    HWND m_button = nullptr;

    void SetUp() override {
        std::filesystem::create_directory(PathOf(m_app));
        m_program = std::make_unique<ChildProcess>(CopyOfTarvenne(m_app), std::vector<std::string>{}, m_dir.Path());
        m_window = WaitForWindow(m_program->Id(), kDeadline, [](HWND window) {
            return ClassName(window) == "TarvenneMainWindow" && WindowText(window) == "Tarvenne";
        });
        ASSERT_NE(m_window, nullptr) << "the main window did not open";
        m_button = GetWindow(m_window, GW_CHILD);
    }

    // The dialog the program shows next with this title, owned by the window.
    HWND WaitForDialog(const char* title) {
        HWND dialog = WaitForFileDialog(m_program->Id(), title, kDeadline);
        EXPECT_TRUE(dialog != nullptr && GetWindow(dialog, GW_OWNER) == m_window) << "no " << title;
        return dialog;
    }

    // Picks input in the Open dialog the button brings, and returns the Save dialog that follows once it is ready
    // for a name.
    HWND SaveDialogAfterPicking(const std::string& input) {
        PressButton(m_window, kOk);
        HWND open = WaitForDialog(kOpenTitle);
        if (open == nullptr || !PickFile(open, input)) {
            return nullptr;
        }
        HWND save = WaitForDialog(kSaveTitle);
        // Wine goes on setting up a Save dialog for a moment after it shows: a name typed before then is not the one
        // the dialog returns. No state of the dialog tells when it is done.
        std::this_thread::sleep_for(1s);
        return save;
    }

    // The box the program shows next, owned by the window: its title and text, and whether it has an icon. The box
    // is answered with OK, and the window and the program go on.
    std::tuple<std::string, std::string, bool> AnswerBox() {
        HWND box = WaitForWindow(m_program->Id(), kDeadline, IsMessageBox);
        if (box == nullptr) {
            ADD_FAILURE() << "no box";
            return {};
        }
        EXPECT_EQ(GetWindow(box, GW_OWNER), m_window) << "the box belongs to the window";
        std::tuple<std::string, std::string, bool> shown{WindowText(box), MessageBoxText(box), HasIcon(box)};
        EXPECT_TRUE(PressButton(box, kOk));
        EXPECT_TRUE(Gone(box));
        EXPECT_TRUE(IsWindowVisible(m_window)) << "the window stays open";
        EXPECT_FALSE(m_program->Wait(0ms)) << "the program goes on";
        return shown;
    }

    // Cancels a dialog and waits until it has gone.
    static bool Cancel(HWND dialog) { return PressButton(dialog, kCancel) && Gone(dialog); }
    static bool Gone(HWND window) {
        return Poll(kDeadline, [window] { return !IsWindowVisible(window); });
    }

    // True when the program shows no box for a while: a box it should not show comes within this time.
    bool ShowsNoBox() { return WaitForWindow(m_program->Id(), 1500ms, IsMessageBox) == nullptr; }

    // The program ends with status 0, or the test fails.
    void ExpectEndsWithStatus0() {
        const std::optional<int> ended = m_program->Wait(kDeadline);
        ASSERT_TRUE(ended) << "the program did not end";
        EXPECT_EQ(*ended, 0);
    }
};

// The button has the focus and keeps it; Enter and Space press it, and cancelling the Open dialog does nothing more.
TEST_F(Win32MainWindowTest, EnterAndSpacePressTheButtonThatKeepsTheFocus) {
    ASSERT_TRUE(BringToFront(m_window));
    EXPECT_EQ(FocusOf(m_window), m_button);
    PressKeys({VK_TAB});
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(FocusOf(m_window), m_button) << "Tab finds nothing else to go to";
    for (WORD key : {VK_RETURN, VK_SPACE}) {
        SCOPED_TRACE(key == VK_RETURN ? "Enter" : "Space");
        ASSERT_TRUE(BringToFront(m_window));
        PressKeys({key});
        HWND open = WaitForDialog(kOpenTitle);
        ASSERT_NE(open, nullptr) << "the key did not press the button";
        ASSERT_TRUE(Cancel(open));
        EXPECT_TRUE(ShowsNoBox());
    }
    EXPECT_EQ(ListDirectory(m_app), "tarvenne.exe");
    EXPECT_TRUE(IsWindowVisible(m_window));
}

// Through the real Open and Save dialogs: a name typed into the Save dialog as it comes lands beside the input, and a
// conversion that succeeds is not confirmed. Where each dialog starts is tested in-process (Win32DialogsTest).
TEST_F(Win32MainWindowTest, ConvertsThroughTheOpenAndSaveDialogs) {
    const std::string lists = m_dir / "lists";
    std::filesystem::create_directory(PathOf(lists));
    const std::string input = lists + kNativeSeparator + "in put.ini";
    WriteFile(input, kItem + "\r\nsep\r\n");
    HWND save = SaveDialogAfterPicking(input);
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(PickFile(save, "saved here.conf"));
    ASSERT_TRUE(Gone(save));

    EXPECT_TRUE(ShowsNoBox());
    EXPECT_EQ(ReadFile(lists + kNativeSeparator + "saved here.conf"), std::optional(kConverted))
        << ListDirectory(lists);
    EXPECT_EQ(ListDirectory(m_app), "tarvenne.exe") << "nothing beside the program";
    EXPECT_TRUE(IsWindowVisible(m_window));
}

// The window falls back to the directory the program runs from, as main hands it over.
TEST_F(Win32MainWindowTest, ACancelledSaveSaysSoAndWritesIntoTheApplicationDirectory) {
    WriteFile(m_input, kItem + "\r\nsep\r\n");
    HWND save = SaveDialogAfterPicking(m_input);
    ASSERT_NE(save, nullptr);
    PressButton(save, kCancel);
    const std::string written = m_app + "\\itemlist.conf";
    EXPECT_EQ(std::get<1>(AnswerBox()),
              "No directory selected. Saving in application directory.\r\n\r\nSaving it as " + written + ".");
    EXPECT_TRUE(Poll(kDeadline, [&] { return ReadFile(written) == kConverted; }));
}

// The menus' items, chosen with their access keys, run their own handlers; the boxes they show belong to the window,
// with the icon their style asks for. Their texts are frmMain's, tested there.
TEST_F(Win32MainWindowTest, TheHelpMenuShowsItsBoxes) {
    struct Item {
        WORD accessKey;
        const char* title;
        const char* textStart;
        bool icon;
    };
    for (const Item& item : {Item{'C', "Tarvenne", "Below is the standard for command line arguments", false},
                             Item{'A', "About Tarvenne", "Tarvenne 1.00 by the Tarvenne authors", true}}) {
        SCOPED_TRACE(item.title);
        ASSERT_TRUE(BringToFront(m_window));
        PressKeys({VK_MENU, 'H'});
        // The menu opens in its own loop; the item's key is read there.
        std::this_thread::sleep_for(300ms);
        PressKeys({item.accessKey});
        const auto [title, text, icon] = AnswerBox();
        EXPECT_EQ(title, item.title);
        EXPECT_TRUE(text.starts_with(item.textStart)) << text;
        EXPECT_EQ(icon, item.icon);
    }
}

TEST_F(Win32MainWindowTest, ExitEndsTheProgramWithStatus0) {
    ASSERT_TRUE(BringToFront(m_window));
    PressKeys({VK_MENU, 'F'});
    std::this_thread::sleep_for(300ms);
    PressKeys({'X'});
    ExpectEndsWithStatus0();
}

TEST_F(Win32MainWindowTest, ClosingTheWindowEndsTheProgramWithStatus0) {
    PostMessageW(m_window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectEndsWithStatus0();
}

// A list dropped on tarvenne.exe: Explorer starts it with the list's path alone, in quotation marks. The window opens
// and the Save dialog asks where, beside the list (a name typed alone lands there); the window stays.
TEST(Win32LoneListTest, OpensTheSaveDialogAndWritesTheChosenFile) {
    TempDir dir;
    const std::string app = dir / "app";
    const std::string dock = dir / "Y'z Dock";
    std::filesystem::create_directory(PathOf(app));
    std::filesystem::create_directory(PathOf(dock));
    const std::string input = dock + kNativeSeparator + "itemlist.ini";
    WriteFile(input, kItem + "\r\nsep\r\n");
    ChildProcess program(CopyOfTarvenne(app), {"\"" + input + "\""}, dir.Path());

    HWND save = WaitForFileDialog(program.Id(), kSaveTitle, kDeadline);
    ASSERT_NE(save, nullptr) << "no Save dialog";
    HWND window = GetWindow(save, GW_OWNER);
    EXPECT_EQ(ClassName(window), "TarvenneMainWindow");
    EXPECT_TRUE(IsWindowVisible(window)) << "the window is on screen";
    std::this_thread::sleep_for(1s); // Wine goes on setting up a Save dialog for a moment after it shows
    ASSERT_TRUE(PickFile(save, "itemlist.conf"));
    EXPECT_TRUE(Poll(kDeadline, [&] { return ReadFile(dock + kNativeSeparator + "itemlist.conf") == kConverted; }))
        << ListDirectory(dock);
    EXPECT_EQ(WaitForWindow(program.Id(), 1500ms, IsMessageBox), nullptr) << "a conversion is not confirmed";
    EXPECT_EQ(ListDirectory(app), "tarvenne.exe");
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(program.Wait(kDeadline), std::optional(0));
}

// A window of this test's own process: its controls, menus, fonts and icon can be read only here under Wine.
class Win32MainWindowInProcessTest : public testing::Test {
protected:
    TempDir m_dir;
    Win32MainWindow m_window{m_dir.Path()};

    HWND Window() const { return m_window.Handle(); }
    HWND Button() const { return GetWindow(Window(), GW_CHILD); }
    HWND Label() const { return GetWindow(Button(), GW_HWNDNEXT); }
};

using Rect = std::array<LONG, 4>; // left, top, right, bottom

// A drop of these files as Explorer hands it over: a DROPFILES header, then the paths, each ended by a NUL, and one
// NUL more. The window that receives it frees it.
HDROP DropOf(const std::vector<std::string>& paths) {
    std::wstring list;
    for (const std::string& path : paths) {
        list += WideFromUtf8(path) + L'\0';
    }
    list += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// The first of the files dropped on the window converts as one picked in the Open dialog: the Save dialog starts
// beside it (a name typed alone lands there).
TEST_F(Win32MainWindowInProcessTest, ConvertsTheFirstFileDroppedOnIt) {
    EXPECT_TRUE(GetWindowLongW(Window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) << "the window takes drops";
    const std::string lists = m_dir / "lists";
    std::filesystem::create_directory(PathOf(lists));
    const std::string first = lists + kNativeSeparator + "itemlist.ini";
    const std::string second = m_dir / "second.ini";
    WriteFile(first, kItem + "\r\nsep\r\n");
    WriteFile(second, "second\r\n");
    // The Save dialog is modal in this thread: another one answers it, and any box that follows.
    std::thread user([] {
        HWND save = WaitForFileDialog(GetCurrentProcessId(), kSaveTitle, kDeadline);
        if (save != nullptr) {
            std::this_thread::sleep_for(1s);
            PickFile(save, "saved.conf");
        }
        if (HWND box = WaitForWindow(GetCurrentProcessId(), 1500ms, IsMessageBox)) {
            ADD_FAILURE() << "a box: " << MessageBoxText(box);
            PressButton(box, kOk);
        }
    });
    SendMessageW(Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({first, second})), 0);
    user.join();
    EXPECT_EQ(ReadFile(lists + kNativeSeparator + "saved.conf"), std::optional(kConverted)) << ListDirectory(lists);
    EXPECT_EQ(ListDirectory(m_dir.Path()), "lists second.ini") << "nothing in the application directory";
}

// A control's rectangle in its parent's client coordinates.
Rect PlaceInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

Rect ClientRect(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

std::string Text(HMENU menu, UINT position) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    return Utf8FromWide(text);
}

// The caption and a fixed frame that can be minimised; the button, the only control that takes the focus, then the
// centred label, and nothing else; the menus with their access keys.
TEST_F(Win32MainWindowInProcessTest, HasItsCaptionControlsAndMenus) {
    EXPECT_EQ(WindowText(Window()), "Tarvenne");
    const LONG style = GetWindowLongW(Window(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME)) << "the frame must not be sizable";

    EXPECT_EQ(ClassName(Button()), "Button");
    EXPECT_EQ(WindowText(Button()), "Y'z To RK Launcher");
    EXPECT_TRUE(GetWindowLongW(Button(), GWL_STYLE) & WS_TABSTOP);
    EXPECT_EQ(ClassName(Label()), "Static");
    EXPECT_EQ(WindowText(Label()), "More options coming soon (hopefully).\r\n\r\nThis includes:\r\n- More "
                                   "conversion types\r\n- Dock BG conversions\r\n- Improved GUI (not skins)");
    EXPECT_EQ(GetWindowLongW(Label(), GWL_STYLE) & (SS_TYPEMASK | WS_TABSTOP), SS_CENTER);
    EXPECT_EQ(GetWindow(Label(), GW_HWNDNEXT), nullptr) << "no other control";

    // Each menu as its texts, a separator as "-".
    const std::vector<std::vector<std::string>> expected = {
        {"&File", "-", "E&xit"}, {"&Help", "&Command line arguments...", "-", "&About Tarvenne..."}};
    HMENU bar = GetMenu(Window());
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    for (UINT i = 0; i < 2; ++i) {
        HMENU menu = GetSubMenu(bar, static_cast<int>(i));
        std::vector<std::string> shown{Text(bar, i)};
        for (UINT item = 0; item < static_cast<UINT>(GetMenuItemCount(menu)); ++item) {
            const UINT state = GetMenuState(menu, item, MF_BYPOSITION);
            const bool separator = state & MF_SEPARATOR;
            EXPECT_FALSE(!separator && (state & MF_GRAYED));
            EXPECT_EQ(GetMenuItemID(menu, static_cast<int>(item)) != 0, !separator) << "a command item sends a command";
            shown.push_back(separator ? "-" : Text(menu, item));
        }
        EXPECT_EQ(shown, expected[i]);
    }
}

TEST_F(Win32MainWindowInProcessTest, ShowsTheProgramsIcon) {
    // This test program carries the program's resources, icon included. Under Wine another process cannot ask for
    // a window's icon, so this is where it is read.
    for (WPARAM kind : {ICON_BIG, ICON_SMALL}) {
        const auto icon = reinterpret_cast<HICON>(SendMessageW(Window(), WM_GETICON, kind, 0));
        ASSERT_NE(icon, nullptr) << "icon kind " << kind;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap{};
        GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(kind == ICON_BIG ? SM_CXICON : SM_CXSMICON));
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
}

// Tahoma 8.25 pt at dpi, as Windows sizes it, on the button and on the label; and the controls and the client area
// where their twips put them.
struct DpiCase {
    LONG fontHeight;
    Rect client;
    Rect button;
    Rect label;
};

void ExpectLaidOutFor(HWND window, HWND button, HWND label, const DpiCase& expected) {
    EXPECT_EQ(ClientRect(window), expected.client);
    EXPECT_EQ(PlaceInParent(button), expected.button);
    EXPECT_EQ(PlaceInParent(label), expected.label);
    for (HWND control : {button, label}) {
        SCOPED_TRACE(ClassName(control));
        const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr);
        LOGFONTW description{};
        ASSERT_EQ(GetObjectW(font, sizeof(description), &description), static_cast<int>(sizeof(description)));
        EXPECT_EQ(std::wstring(description.lfFaceName), L"Tahoma");
        EXPECT_EQ(description.lfHeight, expected.fontHeight);
        EXPECT_EQ(description.lfWeight, FW_NORMAL);
        EXPECT_FALSE(description.lfItalic || description.lfUnderline || description.lfStrikeOut);
        EXPECT_EQ(description.lfCharSet, ANSI_CHARSET);
    }
}

TEST_F(Win32MainWindowInProcessTest, UsesTahoma825AndTheTwipsAt96Dpi) {
    ExpectLaidOutFor(Window(), Button(), Label(), {-11, {0, 0, 312, 165}, {88, 16, 209, 49}, {8, 64, 305, 161}});
}

TEST_F(Win32MainWindowInProcessTest, FollowsAChangeOfDpi) {
    // What Windows sends when the window moves to a monitor at 150 %.
    RECT suggested{100, 100, 600, 400};
    SendMessageW(Window(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    // 4680 x 2475 twips, the button at 1320,240 1815x495 and the label at 120,960 4455x1455, each rounded to the
    // nearest pixel at 144 dpi; 8.25 pt is 16.5 pixels, rounded up.
    ExpectLaidOutFor(Window(), Button(), Label(),
                     {-17, {0, 0, 468, 248}, {132, 24, 132 + 182, 24 + 50}, {12, 96, 12 + 446, 96 + 146}});
    RECT placed{};
    GetWindowRect(Window(), &placed);
    EXPECT_EQ(placed.left, 100);
    EXPECT_EQ(placed.top, 100);
}

// Windows 7 and 8 have none of the per-monitor DPI functions: the window is laid out for the system's DPI, 96 here,
// and its icons are the system's sizes.
TEST(Win32MainWindowWithoutPerMonitorDpiTest, IsLaidOutForTheSystemDpi) {
    TempDir dir;
    const Win32Dpi windows7([](const wchar_t*, const char*) -> Win32Dpi::AnyFunction { return nullptr; });
    Win32MainWindow window(dir.Path(), windows7);
    HWND button = GetWindow(window.Handle(), GW_CHILD);
    ExpectLaidOutFor(window.Handle(), button, GetWindow(button, GW_HWNDNEXT),
                     {-11, {0, 0, 312, 165}, {88, 16, 209, 49}, {8, 64, 305, 161}});
    const auto icon = reinterpret_cast<HICON>(SendMessageW(window.Handle(), WM_GETICON, ICON_SMALL, 0));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(SM_CXSMICON));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

// What Windows reads from tarvenne.exe before any of its code runs: the manifest (exactly one), the icon and the
// version.
class TarvenneResourcesTest : public testing::Test {
protected:
    TempDir m_dir;
    std::string m_exe = CopyOfTarvenne(m_dir.Path());
    HMODULE m_module = LoadLibraryExW(WideFromUtf8(m_exe).c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);

    void TearDown() override {
        if (m_module != nullptr) {
            FreeLibrary(m_module);
        }
    }

    std::string Resource(const wchar_t* type, int name) const {
        HRSRC found = FindResourceW(m_module, MAKEINTRESOURCEW(name), type);
        if (found == nullptr) {
            return {};
        }
        const auto* bytes = static_cast<const char*>(LockResource(LoadResource(m_module, found)));
        return std::string(bytes, SizeofResource(m_module, found));
    }

    std::string VersionString(const std::string& name) const {
        const std::wstring path = WideFromUtf8(m_exe);
        std::string block(GetFileVersionInfoSizeW(path.c_str(), nullptr), '\0');
        if (block.empty() || !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) {
            return "(no version)";
        }
        void* value = nullptr;
        UINT length = 0;
        const std::wstring key = L"\\StringFileInfo\\040904B0\\" + WideFromUtf8(name);
        if (!VerQueryValueW(block.data(), key.c_str(), &value, &length) || length == 0) {
            return "(no " + name + ")";
        }
        return Utf8FromWide(static_cast<const wchar_t*>(value));
    }
};

BOOL CALLBACK CountName(HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST_F(TarvenneResourcesTest, HasOneManifestForWindows7To11CommonControls6PerMonitorDpiAndTheUsersRights) {
    ASSERT_NE(m_module, nullptr);
    int manifests = 0;
    EnumResourceNamesW(m_module, RT_MANIFEST, CountName, reinterpret_cast<LONG_PTR>(&manifests));
    EXPECT_EQ(manifests, 1) << "a second manifest would clash with ours";
    const std::string manifest = Resource(RT_MANIFEST, 1);
    // Windows 7, 8, 8.1 and 10 (and 11) each by its own identifier.
    for (const char* part :
         {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", ">PerMonitorV2, PerMonitor<", ">true/pm<",
          "level=\"asInvoker\"", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
          "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
}

TEST_F(TarvenneResourcesTest, HasTheIconInEverySizeWindowsPicksFrom) {
    ASSERT_NE(m_module, nullptr);
    // A group icon: a 6-byte header, then 14 bytes an image, the width first (0 for 256).
    const std::string group = Resource(RT_GROUP_ICON, 1);
    ASSERT_GE(group.size(), 6u);
    std::vector<int> widths;
    for (std::size_t at = 6; at + 14 <= group.size(); at += 14) {
        const int width = static_cast<unsigned char>(group[at]);
        widths.push_back(width == 0 ? 256 : width);
    }
    EXPECT_EQ(widths, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
}

TEST_F(TarvenneResourcesTest, CarriesTheProductNameVersionAndCopyright) {
    EXPECT_EQ(VersionString("ProductName"), "Tarvenne");
    EXPECT_EQ(VersionString("ProductVersion"), "1.00");
    EXPECT_EQ(VersionString("FileVersion"), "1.00");
    EXPECT_EQ(VersionString("OriginalFilename"), "tarvenne.exe");
    EXPECT_EQ(VersionString("LegalCopyright"), "Copyright \u00A9 2026 The Tarvenne authors");
}

} // namespace
