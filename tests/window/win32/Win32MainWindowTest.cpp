// The main window on Win32, as a user meets it: the real tarvenne.exe started without arguments, its window read and
// worked from outside (geometry, texts, keys, the real Open and Save dialogs, the boxes, the exit status). Under Wine
// the menus, fonts and icons of a window can be read only inside its own process, so those are read from a window
// this test opens itself; and the resources Windows reads from tarvenne.exe before it runs.
#include "Win32MainWindow.h"
#include "ChildProcess.h"
#include "Process.h"
#include "TestFiles.h"
#include "Unicode.h"
#include "WindowDriver.h"

#include <windows.h>

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;
using namespace win32test;

namespace win32test {

bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void PrintTo(const Rect& rect, std::ostream* os) {
    *os << "(" << rect.left << "," << rect.top << " " << rect.Width() << "x" << rect.Height() << ")";
}

} // namespace win32test

namespace {

constexpr auto kDeadline = 20s;
constexpr const char* kClass = "TarvenneMainWindow";
constexpr const char* kOpenTitle = "Select your Y'z Dock itemlist";
constexpr const char* kSaveTitle = "Select where to save your file";

const std::string kItem = "Editor\ttype.app\tC:\\e.exe\t-\t\t12345normal\t1\r\n";
const std::string kConverted =
    "[RKDockItem]\r\ntype = shortcut\r\nname = Editor\r\nlink = C:\\e.exe\r\nshow = normal\r\n"
    "\r\n[RKDockItem]\r\ntype = separator\r\nshow = normal\r\n\r\n";

const std::string kLabelText =
    "More options coming soon (hopefully).\r\n\r\nThis includes:\r\n- More conversion types\r\n"
    "- Dock BG conversions\r\n- Improved GUI (not skins)";

// A control's rectangle in its parent's client coordinates.
Rect PlaceInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// Keys as the keyboard gives them, to whichever window has the focus: the program's own message loop must turn
// them into presses and menu commands.
void PressKeys(std::initializer_list<WORD> chord) {
    std::vector<INPUT> inputs;
    for (WORD key : chord) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = chord.end(); key != chord.begin();) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *--key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
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

// Brings window to the front, where the keyboard goes; false when it is not there by the deadline.
bool BringToFront(HWND window) {
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (std::chrono::steady_clock::now() < deadline) {
        SetForegroundWindow(window);
        if (GetForegroundWindow() == window) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

// The lines of a text cut at CR LF.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
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
    HWND m_label = nullptr;

    void SetUp() override {
        std::filesystem::create_directory(PathOf(m_app));
        m_program = std::make_unique<ChildProcess>(CopyOfTarvenne(m_app), std::vector<std::string>{}, m_dir.Path());
        m_window = WaitForWindow(Id(), "Tarvenne", kDeadline, kClass);
        ASSERT_NE(m_window, nullptr) << "the main window did not open";
        m_button = GetWindow(m_window, GW_CHILD);
        m_label = GetWindow(m_button, GW_HWNDNEXT);
        ASSERT_NE(m_label, nullptr);
    }

    unsigned long Id() const { return m_program->Id(); }

    // What the program's click asks for next: the Open dialog.
    HWND WaitForOpen() { return WaitForFileDialog(Id(), kOpenTitle, kDeadline); }

    // Presses the button, picks input in the Open dialog, and returns the Save dialog that follows once it is ready
    // for a name, or nothing (after a test failure). Both dialogs belong to the window.
    HWND SaveDialogAfterPicking(const std::string& input) {
        PressButton(m_button);
        HWND open = WaitForOpen();
        if (open == nullptr) {
            ADD_FAILURE() << "no Open dialog";
            return nullptr;
        }
        EXPECT_EQ(GetWindow(open, GW_OWNER), m_window) << "the dialog belongs to the window";
        if (!PickFile(open, input)) {
            ADD_FAILURE() << "the Open dialog has no file name box";
            return nullptr;
        }
        HWND save = WaitForFileDialog(Id(), kSaveTitle, kDeadline);
        if (save == nullptr) {
            ADD_FAILURE() << "no Save dialog after the Open dialog";
            return nullptr;
        }
        EXPECT_EQ(GetWindow(save, GW_OWNER), m_window);
        EXPECT_EQ(FileName(save), "itemlist.conf");
        // Wine goes on setting up a Save dialog for a moment after it shows (without a virtual desktop, longer): a
        // name typed before then is not the one the dialog returns. No state of the dialog tells when it is done.
        std::this_thread::sleep_for(1s);
        return save;
    }

    // True when the program shows no box for a while: a box it should not show comes within this time.
    bool ShowsNoBox() { return WaitForMessageBox(Id(), 1500ms) == nullptr; }

    // The program ends with its status, or the test fails.
    void ExpectEndsWith(int status) {
        const std::optional<int> ended = m_program->Wait(kDeadline);
        ASSERT_TRUE(ended) << "the program did not end";
        EXPECT_EQ(*ended, status);
    }
};

TEST_F(Win32MainWindowTest, HasItsCaptionFrameAndSizeAt96Dpi) {
    EXPECT_EQ(WindowText(m_window), "Tarvenne");
    EXPECT_EQ(ClientRect(m_window), (Rect{0, 0, 312, 165}));
    const LONG style = GetWindowLongW(m_window, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the frame must not be sizable";
    EXPECT_NE(GetMenu(m_window), nullptr);
}

TEST_F(Win32MainWindowTest, HasTheButtonThenTheLabelWithTheirTextsAndPlaces) {
    EXPECT_EQ(ClassName(m_button), "Button");
    EXPECT_EQ(WindowText(m_button), "Y'z To RK Launcher");
    EXPECT_EQ(PlaceInParent(m_button), (Rect{88, 16, 88 + 121, 16 + 33}));

    EXPECT_EQ(ClassName(m_label), "Static");
    EXPECT_EQ(WindowText(m_label), kLabelText);
    EXPECT_EQ(PlaceInParent(m_label), (Rect{8, 64, 8 + 297, 64 + 97}));
    EXPECT_EQ(GetWindowLongW(m_label, GWL_STYLE) & SS_TYPEMASK, SS_CENTER);

    EXPECT_EQ(GetWindow(m_label, GW_HWNDNEXT), nullptr) << "no other control";
}

TEST_F(Win32MainWindowTest, OnlyTheButtonTakesTheFocus) {
    EXPECT_TRUE(GetWindowLongW(m_button, GWL_STYLE) & WS_TABSTOP);
    EXPECT_FALSE(GetWindowLongW(m_label, GWL_STYLE) & WS_TABSTOP);
    ASSERT_TRUE(BringToFront(m_window));
    EXPECT_EQ(FocusOf(m_window), m_button);
    // Tab finds nothing else to go to.
    PressKeys({VK_TAB});
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(FocusOf(m_window), m_button);
}

class Win32MainWindowKeyTest : public Win32MainWindowTest, public testing::WithParamInterface<WORD> {};

TEST_P(Win32MainWindowKeyTest, TheKeyPressesTheButton) {
    ASSERT_TRUE(BringToFront(m_window));
    ASSERT_EQ(FocusOf(m_window), m_button);
    PressKeys({GetParam()});
    HWND open = WaitForOpen();
    ASSERT_NE(open, nullptr) << "the key did not press the button";
    Cancel(open);
    EXPECT_TRUE(WaitUntilGone(open, kDeadline));
}

INSTANTIATE_TEST_SUITE_P(EnterAndSpace, Win32MainWindowKeyTest, testing::Values(VK_RETURN, VK_SPACE),
                         [](const testing::TestParamInfo<WORD>& key) {
                             return key.param == VK_RETURN ? "Enter" : "Space";
                         });

TEST_F(Win32MainWindowTest, ConvertsThroughTheOpenAndSaveDialogs) {
    WriteFile(m_input, kItem + "sep\r\n");
    const std::string output = m_dir / "saved here.conf";
    HWND save = SaveDialogAfterPicking(m_input);
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(PickFile(save, output));
    ASSERT_TRUE(WaitUntilGone(save, kDeadline));

    EXPECT_TRUE(ShowsNoBox()) << "a conversion that succeeds is not confirmed";
    EXPECT_EQ(ReadFile(output), std::optional(kConverted))
        << "in " << m_dir.Path() << ": " << ListDirectory(m_dir.Path());
    EXPECT_EQ(ListDirectory(m_app), "tarvenne.exe") << "nothing beside the program";
    EXPECT_TRUE(IsWindowVisible(m_window)) << "the window stays open";

    // The next click does not propose the list just saved as input: its name box is empty.
    PressButton(m_button);
    HWND again = WaitForOpen();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(FileName(again), "");
    Cancel(again);
    ASSERT_TRUE(WaitUntilGone(again, kDeadline));
}

// The Save dialog gets the bare name "itemlist.conf" and starts beside the input, so a name typed as it is lands
// there.
TEST_F(Win32MainWindowTest, TheSaveDialogStartsBesideTheInput) {
    const std::string lists = m_dir / "lists";
    std::filesystem::create_directory(PathOf(lists));
    const std::string input = lists + kNativeSeparator + "itemlist.ini";
    WriteFile(input, kItem + "sep\r\n");
    HWND save = SaveDialogAfterPicking(input);
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(PickFile(save, "bare.conf"));
    ASSERT_TRUE(WaitUntilGone(save, kDeadline));
    EXPECT_TRUE(ShowsNoBox());
    EXPECT_EQ(ReadFile(lists + kNativeSeparator + "bare.conf"), std::optional(kConverted)) << ListDirectory(lists);
}

TEST_F(Win32MainWindowTest, ACancelledOpenWritesNothingAndSaysNothing) {
    PressButton(m_button);
    HWND open = WaitForOpen();
    ASSERT_NE(open, nullptr);
    Cancel(open);
    ASSERT_TRUE(WaitUntilGone(open, kDeadline));
    EXPECT_TRUE(ShowsNoBox());
    EXPECT_EQ(ListDirectory(m_app), "tarvenne.exe");
    EXPECT_TRUE(IsWindowVisible(m_window));
}

// A list with a bad line: a box owned by the window names the line, and the window stays.
TEST_F(Win32MainWindowTest, AFailedClickSaysWhyInABox) {
    WriteFile(m_input, kItem + "broken\tline\r\n");
    PressButton(m_button);
    HWND open = WaitForOpen();
    ASSERT_NE(open, nullptr);
    ASSERT_TRUE(PickFile(open, m_input));

    HWND box = WaitForMessageBox(Id(), kDeadline);
    ASSERT_NE(box, nullptr) << "no word why the conversion failed";
    EXPECT_EQ(ReadMessageBox(box), (ShownBox{"Tarvenne",
                                             "The conversion failed; nothing was written.\r\n\r\nInput file: " +
                                                 m_input + "\r\nLine 2 is missing a field.",
                                             BoxIcon::Error}));
    EXPECT_EQ(GetWindow(box, GW_OWNER), m_window) << "the box belongs to the window";
    ASSERT_TRUE(AnswerMessageBox(box, ids::kOk));
    ASSERT_TRUE(WaitUntilGone(box, kDeadline));
    EXPECT_TRUE(IsWindowVisible(m_window)) << "the window stays open";
    EXPECT_FALSE(m_program->Wait(0ms)) << "the program goes on";
    EXPECT_EQ(ListDirectory(m_app), "tarvenne.exe");
}

TEST_F(Win32MainWindowTest, ACancelledSaveSaysSoAndWritesIntoTheApplicationDirectory) {
    WriteFile(m_input, kItem + "sep\r\n");
    PressButton(m_button);
    HWND open = WaitForOpen();
    ASSERT_NE(open, nullptr);
    ASSERT_TRUE(PickFile(open, m_input));
    HWND save = WaitForFileDialog(Id(), kSaveTitle, kDeadline);
    ASSERT_NE(save, nullptr);
    Cancel(save);

    HWND box = WaitForMessageBox(Id(), kDeadline);
    ASSERT_NE(box, nullptr) << "no word that the file goes into the application directory";
    EXPECT_EQ(ReadMessageBox(box), (ShownBox{"Tarvenne",
                                             "No directory selected. Saving in application directory.\r\n\r\n"
                                             "Saving it as " +
                                                 m_app + "\\itemlist.conf.",
                                             BoxIcon::None}));
    EXPECT_EQ(GetWindow(box, GW_OWNER), m_window) << "the box belongs to the window";
    ASSERT_TRUE(AnswerMessageBox(box, ids::kOk));
    ASSERT_TRUE(WaitUntilGone(box, kDeadline));

    const std::string written = m_app + "\\itemlist.conf";
    for (auto deadline = std::chrono::steady_clock::now() + kDeadline;
         !ReadFile(written) && std::chrono::steady_clock::now() < deadline;) {
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_EQ(ReadFile(written), std::optional(kConverted));
}

// A Help menu item chosen with its access keys, and the box it shows.
struct HelpCase {
    const char* name;
    WORD accessKey;
    const char* title;
    BoxIcon icon;
    std::size_t lines;
    const char* firstLine;
    const char* lastLine;
};

class Win32MainWindowHelpTest : public Win32MainWindowTest, public testing::WithParamInterface<HelpCase> {};

TEST_P(Win32MainWindowHelpTest, ShowsItsBoxOwnedByTheWindow) {
    const HelpCase& expected = GetParam();
    ASSERT_TRUE(BringToFront(m_window));
    PressKeys({VK_MENU, 'H'});
    // The menu opens in its own loop; the item's key is read there.
    std::this_thread::sleep_for(300ms);
    PressKeys({expected.accessKey});
    HWND box = WaitForMessageBox(Id(), kDeadline);
    const std::optional<ShownBox> shown = ReadMessageBox(box);
    ASSERT_TRUE(shown) << "no box";
    EXPECT_EQ(shown->title, expected.title);
    EXPECT_EQ(shown->icon, expected.icon);
    const std::vector<std::string> lines = Lines(shown->text);
    ASSERT_EQ(lines.size(), expected.lines) << shown->text;
    EXPECT_EQ(lines.front(), expected.firstLine);
    EXPECT_EQ(lines.back(), expected.lastLine);
    EXPECT_EQ(GetWindow(box, GW_OWNER), m_window) << "the box belongs to the window";

    ASSERT_TRUE(AnswerMessageBox(box, ids::kOk));
    EXPECT_TRUE(WaitUntilGone(box, kDeadline));
    EXPECT_TRUE(IsWindowVisible(m_window)) << "the window stays open";
    EXPECT_FALSE(m_program->Wait(0ms)) << "the program goes on";
}

INSTANTIATE_TEST_SUITE_P(
    Items, Win32MainWindowHelpTest,
    testing::Values(HelpCase{"CommandLineArguments", 'C', "Tarvenne", BoxIcon::None, 15,
                             "Below is the standard for command line arguments (all are required, except -s, and "
                             "must be in the order below):",
                             "yzrk\t:\tY'z Dock itemlist  ->  RK Launcher itemlist"},
                    HelpCase{"About", 'A', "About Tarvenne", BoxIcon::Information, 1,
                             "Tarvenne 1.00 by the Tarvenne authors", "Tarvenne 1.00 by the Tarvenne authors"}),
    [](const testing::TestParamInfo<HelpCase>& item) { return std::string(item.param.name); });

TEST_F(Win32MainWindowTest, ExitEndsTheProgramWithStatus0) {
    ASSERT_TRUE(BringToFront(m_window));
    PressKeys({VK_MENU, 'F'});
    std::this_thread::sleep_for(300ms);
    PressKeys({'X'});
    ExpectEndsWith(0);
}

TEST_F(Win32MainWindowTest, ClosingTheWindowEndsTheProgramWithStatus0) {
    PostMessageW(m_window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectEndsWith(0);
}

// A window of this test's own process: its menus and fonts can be read only here under Wine.
class Win32MainWindowInProcessTest : public testing::Test {
protected:
    TempDir m_dir;
    Win32MainWindow m_window{m_dir.Path()};

    HWND Window() const { return m_window.Handle(); }
    HWND Button() const { return GetWindow(Window(), GW_CHILD); }
    HWND Label() const { return GetWindow(Button(), GW_HWNDNEXT); }
};

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

TEST_F(Win32MainWindowInProcessTest, HasTheMenusWithTheirAccessKeys) {
    const std::vector<MenuItem> bar = MenuBar(Window());
    ASSERT_EQ(bar.size(), 2u);
    EXPECT_EQ(bar[0].text, "&File");
    EXPECT_EQ(bar[1].text, "&Help");

    struct Expected {
        std::string text;
        bool separator;
    };
    const std::vector<Expected> file = {{"", true}, {"E&xit", false}};
    const std::vector<Expected> help = {
        {"&Command line arguments...", false}, {"", true}, {"&About Tarvenne...", false}};
    const std::pair<const std::vector<Expected>*, const MenuItem*> menus[] = {{&file, &bar[0]}, {&help, &bar[1]}};
    for (const auto& [expected, menu] : menus) {
        ASSERT_EQ(menu->items.size(), expected->size()) << menu->text;
        for (std::size_t i = 0; i < expected->size(); ++i) {
            SCOPED_TRACE(menu->text + " item " + std::to_string(i));
            EXPECT_EQ(menu->items[i].separator, (*expected)[i].separator);
            EXPECT_EQ(menu->items[i].text, (*expected)[i].text);
            if (!(*expected)[i].separator) {
                EXPECT_FALSE(menu->items[i].grayed);
            }
            EXPECT_EQ(menu->items[i].id != 0, !(*expected)[i].separator) << "a command item sends a command";
        }
    }
}

// Tahoma 8.25 pt at dpi, as Windows sizes it, on the button and on the label; and the controls and the client area
// where their twips put them.
struct DpiCase {
    UINT dpi;
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
    ExpectLaidOutFor(Window(), Button(), Label(), {96, -11, {0, 0, 312, 165}, {88, 16, 209, 49}, {8, 64, 305, 161}});
}

TEST_F(Win32MainWindowInProcessTest, FollowsAChangeOfDpi) {
    // What Windows sends when the window moves to a monitor at 150 %.
    RECT suggested{100, 100, 600, 400};
    SendMessageW(Window(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    // 4680 x 2475 twips, the button at 1320,240 1815x495 and the label at 120,960 4455x1455, each rounded to the
    // nearest pixel at 144 dpi; 8.25 pt is 16.5 pixels, rounded up.
    ExpectLaidOutFor(Window(), Button(), Label(),
                     {144, -17, {0, 0, 468, 248}, {132, 24, 132 + 182, 24 + 50}, {12, 96, 12 + 446, 96 + 146}});
    RECT placed{};
    GetWindowRect(Window(), &placed);
    EXPECT_EQ(placed.left, 100);
    EXPECT_EQ(placed.top, 100);
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

TEST_F(TarvenneResourcesTest, HasOneManifestForCommonControls6PerMonitorDpiAndTheUsersRights) {
    ASSERT_NE(m_module, nullptr);
    int manifests = 0;
    EnumResourceNamesW(m_module, RT_MANIFEST, CountName, reinterpret_cast<LONG_PTR>(&manifests));
    EXPECT_EQ(manifests, 1) << "a second manifest would clash with ours";
    const std::string manifest = Resource(RT_MANIFEST, 1);
    for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                             ">PerMonitorV2, PerMonitor<", ">true/pm<", "level=\"asInvoker\""}) {
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

TEST_F(TarvenneResourcesTest, CarriesTheProductNameAndVersion) {
    EXPECT_EQ(VersionString("ProductName"), "Tarvenne");
    EXPECT_EQ(VersionString("ProductVersion"), "1.00");
    EXPECT_EQ(VersionString("FileVersion"), "1.00");
    EXPECT_EQ(VersionString("OriginalFilename"), "tarvenne.exe");
}

} // namespace
