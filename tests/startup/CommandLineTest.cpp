// The parse of the argument text: pieces, keywords, values and the silent switch.
#include "CommandLine.h"

#include "ParamName.h"

#include <gtest/gtest.h>

void PrintTo(const CommandLine& c, std::ostream* out) {
    *out << "{in=\"" << c.inputPath << "\" out=\"" << c.outputDirectory << "\" type=\"" << c.type
         << "\" silent=" << c.silent << "}";
}

namespace {

struct Parse {
    const char* name;
    std::string text;
    std::optional<CommandLine> parsed;
    bool unquotePaths = false; // as on Windows
};

class CommandLineParse : public testing::TestWithParam<Parse> {};

TEST_P(CommandLineParse, GivesTheValues) {
    EXPECT_EQ(ParseCommandLine(GetParam().text, GetParam().unquotePaths), GetParam().parsed);
}

const std::nullopt_t kMalformed = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Texts, CommandLineParse,
    testing::Values(
        Parse{"Usual", "-in C:\\a.ini -out C:\\Out\\ -type yzrk -s",
              CommandLine{"C:\\a.ini", "C:\\Out\\", "yzrk", true}},
        Parse{"NotSilent", "-in a -out b -type yzrk", CommandLine{"a", "b", "yzrk", false}},
        Parse{"NoDash", "hello", kMalformed}, Parse{"OneDash", "-in a", kMalformed},
        Parse{"TwoDashes", "-in a -out b", kMalformed},
        Parse{"TextBeforeTheFirstDashIsIgnored", "  word -in a -out b -type yzrk",
              CommandLine{"a", "b", "yzrk", false}},
        Parse{"KeywordsAreCaseSensitive", "-In a -out b -type yzrk", kMalformed},
        Parse{"KeywordsAreInOrder", "-out b -in a -type yzrk", kMalformed},
        Parse{"KeywordsArePrefixes", "-input x-out-typeyzrk", CommandLine{"put x", "", "yzrk", false}},
        Parse{"ShortPieceFailsItsKeyword", "-i-out b -type yzrk", kMalformed},
        Parse{"DashInAValueShiftsTheKeywords", "-in my-file -out b -type yzrk", kMalformed},
        Parse{"DashInTheTypeCutsItShort", "-in a -out b -type yz-rk", CommandLine{"a", "b", "yz", false}},
        Parse{"OnlySpacesAreTrimmed", "-in \t\"a b\"  -out  c d -type yzrk\t",
              CommandLine{"\t\"a b\"", "c d", "yzrk\t", false}},
        Parse{"EmptyValues", "-in-out-type", CommandLine{"", "", "", false}},
        Parse{"SilentOnlyAtTheVeryEnd", "-in a -out b -type yzrk -s ", CommandLine{"a", "b", "yzrk", false}},
        Parse{"SilentIsLowerCase", "-in a -out b -type yzrk -S", CommandLine{"a", "b", "yzrk", false}},
        Parse{"SilentBeforeTheOptions", "-s -in a -out b -type yzrk", kMalformed},
        Parse{"SilentFromTheLastTwoCharactersOnly", "-in a -out b -type yzrk-s", CommandLine{"a", "b", "yzrk", true}},
        Parse{"LaterPiecesAreIgnored", "-in a -out b -type yzrk -x -y", CommandLine{"a", "b", "yzrk", false}},
        // Quotation marks as Windows programs hand them over: around a value with a space, a trailing backslash
        // doubled before the closing one.
        Parse{"QuotesStayOnLinux", "-in \"C:\\My Docks\\a.ini\" -out \"C:\\RK Launcher\\\\\" -type yzrk",
              CommandLine{"\"C:\\My Docks\\a.ini\"", "\"C:\\RK Launcher\\\\\"", "yzrk", false}},
        Parse{"QuotesAroundAPathGoOnWindows", "-in \"C:\\My Docks\\a.ini\" -out \"C:\\RK Launcher\\\\\" -type yzrk",
              CommandLine{"C:\\My Docks\\a.ini", "C:\\RK Launcher\\\\", "yzrk", false}, true},
        Parse{"OnlyOnePairGoesAfterTrimmingAndTheRestStays", "-in  \"\" a \"\"  -out \" b -type \"yzrk\" -s",
              CommandLine{"\" a \"", "\" b", "\"yzrk\"", true}, true}),
    ParamName<Parse>);

// The second reading, where a "-" inside a path stays in it: only texts the first reading finds malformed get it.
struct Reading {
    const char* name;
    std::string text;
    std::optional<CommandLine> read;
    std::vector<std::size_t> argumentStarts = {}; // empty: one text, as on Windows
    bool unquotePaths = false;
};

class CommandLineReading : public testing::TestWithParam<Reading> {};

TEST_P(CommandLineReading, RescuesOnlyWhatTheFirstReadingCannotRead) {
    const Reading& r = GetParam();
    EXPECT_EQ(ReadCommandLine(r.text, r.unquotePaths, r.argumentStarts), r.read);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CommandLineReading,
    testing::Values(
        Reading{"DashesInBothPaths", "-in yz-backup/itemlist.ini -out rk-out/ -type yzrk -s",
                CommandLine{"yz-backup/itemlist.ini", "rk-out/", "yzrk", true}},
        Reading{"AsAList",
                "-in yz-backup/a b.ini -out rk-out/ -type yzrk",
                CommandLine{"yz-backup/a b.ini", "rk-out/", "yzrk", false},
                {0, 4, 22, 27, 35, 41}},
        // In a list only an argument's start counts: a space and a "-" inside one argument stay in the value.
        Reading{"ASpaceAndADashInsideAnArgument",
                "-in /media/USB -STICK/x.ini -out d/ -type yzrk",
                CommandLine{"/media/USB -STICK/x.ini", "d/", "yzrk", false},
                {0, 4, 28, 33, 36, 42}},
        Reading{"AnArgumentBeginningWithADashIsAnOption",
                "-in -x.ini -out d/ -type yzrk",
                kMalformed,
                {0, 4, 11, 16, 19, 25}},
        Reading{"QuotedOnWindows",
                "-in \"C:\\Dock -Backup\\itemlist.ini\" -out C:\\RK-Launcher\\ -type yzrk",
                CommandLine{"C:\\Dock -Backup\\itemlist.ini", "C:\\RK-Launcher\\", "yzrk", false},
                {},
                true},
        Reading{"ASpaceBeforeADashUnquoted", "-in C:\\Dock -Backup\\itemlist.ini -out d -type yzrk", kMalformed},
        Reading{"TheSwitchMustBeAnArgument", "-in a-b -out c -type yzrk-s", CommandLine{"a-b", "c", "yzrk-s", false}},
        Reading{"TheSwitchAfterAPathWithADash", "-in a -out c-d -type yzrk -s", CommandLine{"a", "c-d", "yzrk", true}},
        Reading{"TheSwitchInAList",
                "-in a -out c-d -type yzrk -s",
                CommandLine{"a", "c-d", "yzrk", true},
                {0, 4, 6, 11, 15, 21, 26}},
        // Texts the first reading reads keep its meaning, though the second would read them otherwise.
        Reading{"FirstReadingWins", "-in a -out b -type yz-rk", CommandLine{"a", "b", "yz", false}},
        Reading{"FirstReadingWinsForPrefixes", "-input x-out-typeyzrk", CommandLine{"put x", "", "yzrk", false}}),
    ParamName<Reading>);

TEST(CommandLineHint, IsForADashInsideAWord) {
    EXPECT_TRUE(HoldsDashInAValue("-in yz-backup/itemlist.ini -ot d -type yzrk"));
    EXPECT_FALSE(HoldsDashInAValue("-in a -ot b -type yzrk -s"));
    EXPECT_FALSE(HoldsDashInAValue("--help -s"));
}

} // namespace
