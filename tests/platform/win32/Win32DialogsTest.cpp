// Message box styles and what the file dialogs are given on Windows, without showing either; and the Save dialog's
// default extension, in a real dialog answered from a second thread.
#include "ParamName.h"
#include "Process.h"
#include "TestFiles.h"
#include "Unicode.h"
#include "Win32CommonDialog.h"
#include "Win32MessageBox.h"
#include "WindowDriver.h"

#include <gtest/gtest.h>
#include <thread>
#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>
#undef MessageBox

namespace {

TEST(Win32MessageBox, ShowsOkWithTheIconOfEachStyle) {
    EXPECT_EQ(MessageBoxStyleOf(MsgBoxStyle::OkOnly) & (MB_TYPEMASK | MB_ICONMASK), UINT{MB_OK});
    EXPECT_EQ(MessageBoxStyleOf(MsgBoxStyle::Critical) & (MB_TYPEMASK | MB_ICONMASK), UINT{MB_OK | MB_ICONERROR});
    EXPECT_EQ(MessageBoxStyleOf(MsgBoxStyle::Information) & (MB_TYPEMASK | MB_ICONMASK),
              UINT{MB_OK | MB_ICONINFORMATION});
}

struct FilterCase {
    const char* name;
    std::string filter;
    std::wstring list;
};

class FilterLists : public testing::TestWithParam<FilterCase> {};

TEST_P(FilterLists, HoldEachDescriptionAndItsPatterns) {
    EXPECT_EQ(FilterListOf(GetParam().filter), GetParam().list);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterLists,
    testing::Values(FilterCase{"OutputFile", "RK Launcher Itemlist (itemlist.conf) | itemlist.conf",
                               L"RK Launcher Itemlist (itemlist.conf)\0itemlist.conf\0\0"s},
                    FilterCase{"TwoPairs", "Item lists (*.ini)|*.ini|All files (*.*)|*.*",
                               L"Item lists (*.ini)\0*.ini\0All files (*.*)\0*.*\0\0"s},
                    FilterCase{"SeveralPatterns", "Lists| *.ini ; *.txt;;", L"Lists\0*.ini;*.txt\0\0"s},
                    FilterCase{"DescriptionWithoutPatterns", "Lists|*.ini|Dangling", L"Lists\0*.ini\0\0"s},
                    FilterCase{"PairWithoutAPattern", "Nothing| |Lists|*.ini", L"Lists\0*.ini\0\0"s},
                    FilterCase{"Empty", "", L""s},
                    FilterCase{"NonAscii", "Listes \xc3\xa9|*.ini", L"Listes \u00e9\0*.ini\0\0"s}),
    ParamName<FilterCase>);

// What each dialog is given, with the answer that the user picks path; an empty path cancels.
class GivenDialog : public Win32CommonDialog {
public:
    struct Given {
        std::wstring folder, name, defaultExt;
        bool overwritePrompt;
    };
    std::vector<Given> given;
    std::string path;

protected:
    bool Run(bool /*save*/, OPENFILENAMEW& dialog) override {
        const auto text = [](const wchar_t* value) { return std::wstring(value != nullptr ? value : L""); };
        given.push_back({text(dialog.lpstrInitialDir), text(dialog.lpstrFile), text(dialog.lpstrDefExt),
                         (dialog.Flags & OFN_OVERWRITEPROMPT) != 0});
        wcscpy(dialog.lpstrFile, WideFromUtf8(path).c_str());
        return !path.empty();
    }
};

// The Save dialog starts beside the input just opened, with the name it proposes; the next Open starts in that folder
// again, with an empty name, however Wine would remember folders by itself.
TEST(Win32CommonDialog, EachDialogStartsWhereCommonDialogSays) {
    TempDir dir;
    GivenDialog dialog;
    dialog.Filter = "Lists|itemlist.ini";
    dialog.path = dir / "in" + kNativeSeparator + "itemlist.ini";
    ASSERT_TRUE(dialog.ShowOpen());
    dialog.FileName = "itemlist.conf";
    dialog.DefaultExt = "conf";
    dialog.path = dir / "out.conf";
    ASSERT_TRUE(dialog.ShowSave());
    EXPECT_EQ(dialog.FileName, dir / "out.conf");
    dialog.DefaultExt.clear();
    dialog.path.clear();
    EXPECT_FALSE(dialog.ShowOpen());
    EXPECT_EQ(dialog.FileName, "");

    const std::wstring in = WideFromUtf8(dir / "in" + kNativeSeparator);
    ASSERT_EQ(dialog.given.size(), 3U);
    EXPECT_EQ(dialog.given[0].folder, L"");
    EXPECT_EQ(dialog.given[1].folder, in);
    EXPECT_EQ(dialog.given[1].name, L"itemlist.conf");
    EXPECT_EQ(dialog.given[1].defaultExt, L"conf");
    EXPECT_TRUE(dialog.given[1].overwritePrompt);
    EXPECT_EQ(dialog.given[2].folder, in);
    EXPECT_EQ(dialog.given[2].name, L"");
    EXPECT_FALSE(dialog.given[2].overwritePrompt);
}

TEST(Win32CommonDialog, ATypedNameWithoutAnExtensionGetsTheDefault) {
    using namespace std::chrono_literals;
    TempDir dir;
    Win32CommonDialog dialog;
    dialog.DialogTitle = "Save with a default extension";
    dialog.FileName = "itemlist.conf";
    dialog.DefaultExt = "conf";
    std::thread user([&dir] {
        HWND shown = win32test::WaitForFileDialog(::GetCurrentProcessId(), "Save with a default extension", 20s);
        ASSERT_NE(shown, nullptr);
        // Wine goes on setting the dialog up for a moment after it shows.
        std::this_thread::sleep_for(1s);
        EXPECT_TRUE(win32test::PickFile(shown, dir / "mine"));
    });
    EXPECT_TRUE(dialog.ShowSave());
    user.join();
    EXPECT_EQ(dialog.FileName, dir / "mine.conf");
}

} // namespace
