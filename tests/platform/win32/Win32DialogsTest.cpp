// Message box styles and the file dialog's filter list on Windows, without showing either; and the Save dialog's
// default extension, in a real dialog answered from a second thread.
#include "ParamName.h"
#include "TestFiles.h"
#include "Win32CommonDialog.h"
#include "Win32MessageBox.h"
#include "WindowDriver.h"

#include <gtest/gtest.h>
#include <thread>
#include <windows.h>
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
