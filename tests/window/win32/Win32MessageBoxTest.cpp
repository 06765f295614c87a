// The program's boxes as they open in this process, read from a second thread while open and then closed with OK:
// every character of the prompt on screen at the system's scale and at 150 %, the box within the work area, and the
// command-line help's columns lined up.
#include "Win32MessageBox.h"
#include "Poll.h"
#include "Unicode.h"
#include "WindowDriver.h"
#include "frmMain.h"

#include <windows.h>
#undef MessageBox

#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;
using namespace win32test;

namespace {

// What the box showed.
struct Shown {
    std::string text;
    std::vector<std::wstring> lines;               // the prompt's lines as the box breaks them
    std::vector<std::pair<int, int>> columnStarts; // per line with TABs, where its second and third columns start
    bool inWorkArea = false;
    bool everyLineReachable = false; // on screen, or scrolled to
};

Shown ShowAndRead(const std::string& prompt, MsgBoxStyle style, double fontScale) {
    Shown shown;
    std::thread reader([&shown] {
        HWND box = WaitForWindow(GetCurrentProcessId(), 20s, IsMessageBox);
        if (box == nullptr) {
            return;
        }
        HWND edit = GetDlgItem(box, 0xFFFF);
        shown.text = MessageBoxText(box);
        const std::wstring text = WideFromUtf8(shown.text);
        const int count = static_cast<int>(SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
        for (int line = 0; line < count; ++line) {
            const auto start = static_cast<std::size_t>(SendMessageW(edit, EM_LINEINDEX, line, 0));
            const auto length = static_cast<std::size_t>(SendMessageW(edit, EM_LINELENGTH, start, 0));
            shown.lines.push_back(text.substr(start, length));
            const std::size_t first = text.find(L'\t', start);
            const std::size_t second = text.find(L'\t', first + 1);
            if (first < start + length && second < start + length) {
                const auto x = [&](std::size_t at) {
                    return static_cast<int>(static_cast<short>(LOWORD(SendMessageW(edit, EM_POSFROMCHAR, at, 0))));
                };
                shown.columnStarts.emplace_back(x(first + 1), x(second + 1));
            }
        }
        RECT placed{};
        GetWindowRect(box, &placed);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(box, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& work = monitor.rcWork;
        shown.inWorkArea = placed.left >= work.left && placed.top >= work.top && placed.right <= work.right &&
                           placed.bottom <= work.bottom;
        // The last line's bottom within the prompt, or a scroll bar to reach it.
        RECT client{};
        GetClientRect(edit, &client);
        const LRESULT last = SendMessageW(edit, EM_POSFROMCHAR, SendMessageW(edit, EM_LINEINDEX, count - 1, 0), 0);
        TEXTMETRICW metrics{};
        HDC dc = GetDC(edit);
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)));
        GetTextMetricsW(dc, &metrics);
        ReleaseDC(edit, dc);
        shown.everyLineReachable = (GetWindowLongW(edit, GWL_STYLE) & WS_VSCROLL) != 0 ||
                                   static_cast<short>(HIWORD(last)) + metrics.tmHeight <= client.bottom;
        PressButton(box, kOk);
    });
    Win32MessageBox(nullptr, fontScale).MsgBox(prompt, style);
    reader.join();
    return shown;
}

std::string WithoutTabs(std::string text) {
    std::erase(text, '\t');
    return text;
}

class Win32MessageBoxTest : public testing::TestWithParam<double> {};

// The help's rows keep their line (none wraps) and their columns line up, the "yzrk" row's with the others.
TEST_P(Win32MessageBoxTest, LinesUpTheHelpsColumnsWithoutWrappingARow) {
    const std::string help = frmMain::CommandLineHelp();
    const Shown shown = ShowAndRead(help, MsgBoxStyle::OkOnly, GetParam());
    EXPECT_EQ(WithoutTabs(shown.text), WithoutTabs(help));
    EXPECT_EQ(shown.text.find("\t\t"), std::string::npos) << "a run of TABs is one step to the next column";
    EXPECT_EQ(shown.lines.size(), 15u) << "the help's 15 lines, none wrapped";
    ASSERT_EQ(shown.columnStarts.size(), 5u) << "-in, -out, -type, [-s] and yzrk";
    for (const auto& starts : shown.columnStarts) {
        EXPECT_EQ(starts, shown.columnStarts.front());
    }
    EXPECT_TRUE(shown.inWorkArea);
}

// A path longer than the screen is wide is broken across lines, wherever it must be, and no character is lost; a
// prompt taller than the screen scrolls.
TEST_P(Win32MessageBoxTest, ShowsEveryCharacterOfAPromptLargerThanTheScreen) {
    const std::string path = "C:\\" + std::string(400, 'x') + "\\itemlist.ini";
    std::string tall;
    for (int line = 0; line < 200; ++line) {
        tall += "line " + std::to_string(line) + "\r\n";
    }
    for (const std::string& prompt : {"The file " + path + " cannot be opened.", tall + path}) {
        const Shown shown = ShowAndRead(prompt, MsgBoxStyle::Critical, GetParam());
        EXPECT_EQ(shown.text, prompt);
        EXPECT_GT(shown.lines.size(), 1u) << "the path is wrapped";
        EXPECT_TRUE(shown.inWorkArea);
        EXPECT_TRUE(shown.everyLineReachable);
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, Win32MessageBoxTest, testing::Values(1.0, 1.5),
                         [](const testing::TestParamInfo<double>& scale) {
                             return scale.param == 1.0 ? std::string("AtTheSystemScale") : std::string("At150Percent");
                         });

} // namespace
