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

} // namespace
