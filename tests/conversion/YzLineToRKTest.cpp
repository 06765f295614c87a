// Item conversion: the sections made from item lines, and the lines it turns down.
#include "YzLineToRK.h"

#include "ParamName.h"

#include <gtest/gtest.h>

using modCommands::YzLineToRK;
using namespace std::string_literals;

namespace {

// Joins fields with TABs.
std::string Fields(std::initializer_list<std::string> fields) {
    std::string line;
    for (const std::string& field : fields) {
        line += field;
        line += '\t';
    }
    line.pop_back();
    return line;
}

// The worked example with its type field replaced.
std::string Editor(const std::string& type) {
    return Fields(
        {"Editor", type, "C:\\Apps\\editor.exe", "-", "C:\\Apps", "12345normal", "00000000", "C:\\Apps\\editor.ico"});
}

struct Conversion {
    const char* name;
    std::string line;
    std::string block;
};

class YzLineToRKTest : public testing::TestWithParam<Conversion> {};

TEST_P(YzLineToRKTest, GivesTheSection) {
    EXPECT_EQ(YzLineToRK(GetParam().line), GetParam().block);
    // A run makes room for a section by this bound before it is converted.
    EXPECT_LE(GetParam().block.size(), GetParam().line.size() + modCommands::kLongestBlockOverhead);
}

const std::string kSeparator = "[RKDockItem]\r\ntype = separator\r\nshow = normal\r\n";

INSTANTIATE_TEST_SUITE_P(
    Lines, YzLineToRKTest,
    testing::Values(
        Conversion{"WorkedExample", Editor("type.app"),
                   "[RKDockItem]\r\ntype = shortcut\r\nname = Editor\r\nicon = C:\\Apps\\editor.ico\r\n"
                   "link = C:\\Apps\\editor.exe\r\nworkFolder = C:\\Apps\r\nshow = normal\r\n"},
        Conversion{"EveryKeyOfAShortcut", Fields({"", "type.app", "", "x", "w", "12345", "00000000", "i"}),
                   "[RKDockItem]\r\ntype = shortcut\r\nname = \r\nicon = i\r\nlink = \r\nworkFolder = w\r\n"
                   "arguments = x\r\nshow = \r\n"},
        Conversion{"NonAppIsAShortcutToo", Editor("type.nonapp"),
                   "[RKDockItem]\r\ntype = shortcut\r\nname = Editor\r\nicon = C:\\Apps\\editor.ico\r\n"
                   "link = C:\\Apps\\editor.exe\r\nworkFolder = C:\\Apps\r\nshow = normal\r\n"},
        Conversion{"Docklet", Editor("type.docklet"),
                   "[RKDockItem]\r\ntype = docklet_yz\r\nname = Editor\r\nicon = C:\\Apps\\editor.ico\r\n"
                   "show = normal\r\npath = C:\\Apps\\editor.exe\r\nloaded = 1\r\n"},
        Conversion{"OtherTypeHasNoTypeLine", Editor("type.url"),
                   "[RKDockItem]\r\nname = Editor\r\nicon = C:\\Apps\\editor.ico\r\nshow = normal\r\n"},
        Conversion{"TypeIsCaseSensitive", Editor("Type.App"),
                   "[RKDockItem]\r\nname = Editor\r\nicon = C:\\Apps\\editor.ico\r\nshow = normal\r\n"},
        Conversion{"EmptyLineGivesNothing", "", ""}, Conversion{"WordWithoutTabIsASeparator", "separator", kSeparator},
        Conversion{"SpacesAreASeparator", "  ", kSeparator},
        Conversion{"ArgumentsForEveryTypeAndWorkFolderOnlyForShortcuts",
                   Fields({"Clock", "type.docklet", "clock.dll", "-small", "C:\\Dock", "show.normal", "1"}),
                   "[RKDockItem]\r\ntype = docklet_yz\r\nname = Clock\r\narguments = -small\r\n"
                   "show = normal\r\npath = clock.dll\r\nloaded = 1\r\n"},
        Conversion{"SpaceDashIsAnArgument", Fields({"A", "type.app", "a.exe", " -", "", "show.max", "0"}),
                   "[RKDockItem]\r\ntype = shortcut\r\nname = A\r\nlink = a.exe\r\narguments =  -\r\nshow = max\r\n"},
        Conversion{"SevenZerosGiveNoIcon", Fields({"A", "x", "a", "-", "", "show.", "0000000", "i"}),
                   "[RKDockItem]\r\nname = A\r\nshow = \r\n"},
        Conversion{"ZerosAndASpaceGiveNoIcon", Fields({"A", "x", "a", "-", "", "show.", "00000000 ", "i"}),
                   "[RKDockItem]\r\nname = A\r\nshow = \r\n"},
        Conversion{"EmptyFieldsStayEmpty", Fields({"", "type.app", "", "", "", "12345", "", ""}),
                   "[RKDockItem]\r\ntype = shortcut\r\nname = \r\nlink = \r\narguments = \r\nshow = \r\n"},
        Conversion{"FieldsFromTheNinthOnAreIgnored", Editor("type.app") + "\textra\tmore\tstill more",
                   "[RKDockItem]\r\ntype = shortcut\r\nname = Editor\r\nicon = C:\\Apps\\editor.ico\r\n"
                   "link = C:\\Apps\\editor.exe\r\nworkFolder = C:\\Apps\r\nshow = normal\r\n"},
        Conversion{
            "BytesPassThrough", Fields({"Caf\xe9\x80", "type.app", "C:\\\xff.exe", "-", "", "12345\x01\x00"s, "1"}),
            "[RKDockItem]\r\ntype = shortcut\r\nname = Caf\xe9\x80\r\nlink = C:\\\xff.exe\r\nshow = \x01\x00\r\n"s}),
    ParamName<Conversion>);

using Kind = modCommands::ItemError::Kind;

struct Rejection {
    const char* name;
    std::string line;
    Kind kind;
};

class YzLineToRKRejects : public testing::TestWithParam<Rejection> {};

TEST_P(YzLineToRKRejects, WithItsErrorKind) {
    try {
        YzLineToRK(GetParam().line);
        FAIL() << "no error";
    } catch (const modCommands::ItemError& error) {
        EXPECT_EQ(error.ItemKind(), GetParam().kind);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, YzLineToRKRejects,
    testing::Values(Rejection{"WordAndOneTab", "word\t", Kind::MissingField},
                    Rejection{"SixFields", Fields({"A", "type.app", "a", "-", "", "show.x"}), Kind::MissingField},
                    Rejection{"IconSelectedButNoIcon", Fields({"A", "type.app", "a", "-", "", "show.x", "00000000"}),
                              Kind::MissingField},
                    Rejection{"MissingFieldIsFoundBeforeShortShow", Fields({"A", "x", "a", "-", "", "sho", "00000000"}),
                              Kind::MissingField},
                    Rejection{"ShowOfFourCharacters", Fields({"A", "type.app", "a", "-", "", "show", "1"}),
                              Kind::ShowFieldTooShort}),
    ParamName<Rejection>);

TEST(AppendYzLineToRK, LeavesTheTextAsItWasOnAnError) {
    std::string text = "before";
    EXPECT_THROW(modCommands::AppendYzLineToRK("A\tx\ta\t-\t\tshow\t1", text), modCommands::ItemError);
    EXPECT_EQ(text, "before");
}

} // namespace
