// Message box styles and the file dialog's filter list on Windows, without showing either.
#include "ParamName.h"
#include "Win32CommonDialog.h"
#include "Win32MessageBox.h"

#include <gtest/gtest.h>
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

} // namespace
