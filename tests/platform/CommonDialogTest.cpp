// The file dialog's filter, read the same for every system's dialog.
#include "CommonDialog.h"

#include "ParamName.h"
#include "Process.h"

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
                    FilterCase{"EmptyPartsKeepThePairs", "Nothing||Lists|*.ini;;*.ln", {{"Lists", {"*.ini", "*.ln"}}}},
                    FilterCase{"DescriptionWithoutPatterns", "Lonely", {}},
                    FilterCase{"TrailingBar", "Lists|*.ini|", {{"Lists", {"*.ini"}}}}, FilterCase{"Empty", "", {}},
                    FilterCase{"SpacesInsideStay", "My lists|my list.ini", {{"My lists", {"my list.ini"}}}}),
    ParamName<FilterCase>);

struct MatchCase {
    const char* name;
    std::string path;
    std::string filter;
    bool matches;
};

class MatchesFilterTest : public testing::TestWithParam<MatchCase> {};

TEST_P(MatchesFilterTest, LooksAtTheFileNameOnly) {
    EXPECT_EQ(MatchesFilter(GetParam().path, GetParam().filter), GetParam().matches);
}

const std::string kOpen = "Y'z Dock Itemlist (itemlist.ini)| itemlist.ini";
const std::string kFolder = std::string("dock") + kNativeSeparator;

INSTANTIATE_TEST_SUITE_P(Names, MatchesFilterTest,
                         testing::Values(MatchCase{"TheListItself", kFolder + "itemlist.ini", kOpen, true},
                                         MatchCase{"ABareName", "itemlist.ini", kOpen, true},
                                         MatchCase{"InCapitals", kFolder + "ITEMLIST.INI", kOpen, true},
                                         MatchCase{"TheSavedList", kFolder + "itemlist.conf", kOpen, false},
                                         MatchCase{"AFolderOfThatName",
                                                   std::string("itemlist.ini") + kNativeSeparator + "x", kOpen, false},
                                         MatchCase{"Longer", kFolder + "itemlist.ini.bak", kOpen, false},
                                         MatchCase{"Star", kFolder + "old.ini", "Lists|*.ini", true},
                                         MatchCase{"StarMatchesNothingToo", ".ini", "Lists|*.ini", true},
                                         MatchCase{"Question", "item1.ini", "Lists|item?.ini", true},
                                         MatchCase{"QuestionIsOneCharacter", "item.ini", "Lists|item?.ini", false},
                                         MatchCase{"SecondPattern", "a.text", "Text|*.txt;*.text", true},
                                         MatchCase{"EmptyFilter", "itemlist.ini", "", false}),
                         ParamName<MatchCase>);

// A dialog that shows nothing, to see where it would start.
class StartingDialog : public CommonDialog {
public:
    bool ShowOpen() override { return false; }
    bool ShowSave() override { return false; }
    using CommonDialog::Closed;
    using CommonDialog::StartFor;
};

TEST(CommonDialogStart, TheSavedListIsNotProposedAsInputAndOpenStartsWhereTheLastListWas) {
    StartingDialog dialog;
    dialog.Filter = kOpen;
    EXPECT_EQ(dialog.StartFor(false).folder, "");
    EXPECT_EQ(dialog.StartFor(false).name, "");

    const std::string in = kFolder + "in" + kNativeSeparator;
    const std::string input = in + "itemlist.ini";
    dialog.Closed(false, &input);
    EXPECT_EQ(dialog.StartFor(false).folder, "");
    EXPECT_EQ(dialog.StartFor(false).name, input); // an earlier pick is proposed again

    // The Save dialog gets a bare name: it starts beside the input.
    dialog.FileName = "itemlist.conf";
    EXPECT_EQ(dialog.StartFor(true).folder, in);
    EXPECT_EQ(dialog.StartFor(true).name, "itemlist.conf");

    const std::string saved = kFolder + "out" + kNativeSeparator + "itemlist.conf";
    dialog.Closed(true, &saved);
    EXPECT_EQ(dialog.StartFor(true).name, saved);
    // The next Open shows the folder of the list opened last, not the one saved, with nothing in its name box.
    EXPECT_EQ(dialog.StartFor(false).folder, in);
    EXPECT_EQ(dialog.StartFor(false).name, "");
    dialog.FileName = "itemlist.conf";
    EXPECT_EQ(dialog.StartFor(true).folder, in) << "a Save does not move where the next one starts";

    dialog.Closed(false, nullptr);
    EXPECT_EQ(dialog.FileName, "");
    EXPECT_EQ(dialog.StartFor(false).folder, in);
}

// Where each dialog starts, by the list opened before (if any) and the name it is given.
struct StartCase {
    const char* name;
    std::string opened; // picked before, without the dialog; empty: none yet
    std::string fileName;
    bool save;
    std::string folder;
    std::string proposed;
};

class StartsWhere : public testing::TestWithParam<StartCase> {};

TEST_P(StartsWhere, TheLastListWasOrTheNameSays) {
    const StartCase& row = GetParam();
    StartingDialog dialog;
    dialog.Filter = kOpen;
    if (!row.opened.empty()) {
        dialog.Picked(row.opened);
    }
    dialog.FileName = row.fileName;
    EXPECT_EQ(dialog.StartFor(row.save).folder, row.folder);
    EXPECT_EQ(dialog.StartFor(row.save).name, row.proposed);
}

const std::string kRoot(1, kNativeSeparator);
const std::string kIn = kFolder + "in" + kNativeSeparator;
const std::string kOut = kFolder + "out" + kNativeSeparator;

INSTANTIATE_TEST_SUITE_P(
    Dialogs, StartsWhere,
    testing::Values(StartCase{"OpenAfterASaveBeforeAnyOpen", "", kOut + "itemlist.conf", false, kOut, ""},
                    StartCase{"OpenAfterASaveInTheRootFolder", "", kRoot + "itemlist.conf", false, kRoot, ""},
                    StartCase{"OpenOfABareName", kIn + "itemlist.ini", "itemlist.ini", false, kIn, "itemlist.ini"},
                    StartCase{"SaveOfAFullPath", kIn + "itemlist.ini", kOut + "itemlist.conf", true, "",
                              kOut + "itemlist.conf"},
                    StartCase{"SaveBeforeAnyOpen", "", "itemlist.conf", true, "", "itemlist.conf"},
                    StartCase{"SaveBesideAListInTheRootFolder", kRoot + "itemlist.ini", "itemlist.conf", true, kRoot,
                              "itemlist.conf"}),
    ParamName<StartCase>);

} // namespace
