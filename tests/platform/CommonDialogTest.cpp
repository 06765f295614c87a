// The file dialog's filter, read the same for every system's dialog.
#include "CommonDialog.h"

#include "ParamName.h"

#include <gtest/gtest.h>

namespace {

struct FilterCase {
    const char* name;
    std::string filter;
    std::vector<FilterEntry> entries;
};

class FilterEntriesTest : public testing::TestWithParam<FilterCase> {};

TEST_P(FilterEntriesTest, AreReadFromTheBarSeparatedPairs) {
    EXPECT_EQ(FilterEntries(GetParam().filter), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterEntriesTest,
    testing::Values(FilterCase{"Open",
                               "Y'z Dock Itemlist (itemlist.ini)| itemlist.ini",
                               {{"Y'z Dock Itemlist (itemlist.ini)", {"itemlist.ini"}}}},
                    FilterCase{"Save",
                               "RK Launcher Itemlist (itemlist.conf) | itemlist.conf",
                               {{"RK Launcher Itemlist (itemlist.conf)", {"itemlist.conf"}}}},
                    FilterCase{"SeveralPairsAndPatterns",
                               "Text|*.txt; *.text |All files (*.*)|*.*",
                               {{"Text", {"*.txt", "*.text"}}, {"All files (*.*)", {"*.*"}}}},
                    FilterCase{"PairWithoutAPattern", "Nothing| ; |Lists|*.ini", {{"Lists", {"*.ini"}}}},
                    FilterCase{"DescriptionWithoutPatterns", "Lonely", {}},
                    FilterCase{"TrailingBar", "Lists|*.ini|", {{"Lists", {"*.ini"}}}}, FilterCase{"Empty", "", {}},
                    FilterCase{"SpacesInsideStay", "My lists|my list.ini", {{"My lists", {"my list.ini"}}}}),
    ParamName<FilterCase>);

} // namespace
