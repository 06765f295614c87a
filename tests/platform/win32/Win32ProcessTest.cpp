// The process on Windows: the argument text of a command line, the program's own folder, the system's reasons.
#include "Win32Process.h"
#include "Error.h"
#include "ParamName.h"
#include "Process.h"
#include "Unicode.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

struct CommandLineCase {
    const char* name;
    std::wstring commandLine;
    std::string arguments; // UTF-8
};

class ArgumentTexts : public testing::TestWithParam<CommandLineCase> {};

TEST_P(ArgumentTexts, LeaveOutTheProgramsName) {
    EXPECT_EQ(ArgumentTextOf(GetParam().commandLine), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ArgumentTexts,
    testing::Values(CommandLineCase{"QuotedNameWithSpaces", L"\"C:\\Program Files\\tarvenne.exe\" -in a -s",
                                    "-in a -s"},
                    CommandLineCase{"UnquotedName", L"tarvenne -in a", "-in a"},
                    CommandLineCase{"QuotedPartOfTheName", L"C:\\Program\" \"Files\\tarvenne.exe -in a", "-in a"},
                    CommandLineCase{"TabsAndSeveralBlanks", L"tarvenne.exe \t  \t-in a  b ", "-in a  b "},
                    CommandLineCase{"NothingAfterTheName", L"\"C:\\x y\\tarvenne.exe\"", ""},
                    CommandLineCase{"OnlyBlanksAfterTheName", L"tarvenne.exe   ", ""},
                    CommandLineCase{"Empty", L"", ""},
                    CommandLineCase{"QuotesInTheArgumentsStay", L"tarvenne -in \"C:\\a b.ini\" -out \\\"x\\\"",
                                    "-in \"C:\\a b.ini\" -out \\\"x\\\""},
                    CommandLineCase{"NonAscii", L"\"C:\\\u00e9\\t.exe\" -in \u0421\u043f \u9805 \U0001F680",
                                    "-in \xd0\xa1\xd0\xbf \xe9\xa0\x85 \xf0\x9f\x9a\x80"}),
    ParamName<CommandLineCase>);

TEST(Win32Process, ApplicationDirectoryHoldsThisProgram) {
    const std::string directory = ApplicationDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_NE(directory.back(), '\\');
    wchar_t own[MAX_PATH * 4] = {};
    ::GetModuleFileNameW(nullptr, own, MAX_PATH * 4);
    const std::string ownPath = Utf8FromWide(own);
    EXPECT_EQ(ownPath.substr(0, directory.size() + 1), directory + '\\');
    EXPECT_EQ(ownPath.find('\\', directory.size() + 1), std::string::npos);
}

TEST(Win32Process, SystemReasonIsOneLineOfTheSystemsWords) {
    for (const DWORD error : {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION}) {
        const std::string reason = SystemReason(static_cast<int>(error));
        EXPECT_FALSE(reason.empty());
        EXPECT_EQ(reason.find_first_of("\r\n"), std::string::npos) << reason;
        EXPECT_NE(reason.back(), ' ') << reason;
        // Put into a sentence of the program's own, it must not end that sentence early.
        EXPECT_NE(reason.back(), '.') << reason;
    }
    EXPECT_NE(SystemReason(ERROR_FILE_NOT_FOUND), SystemReason(ERROR_ACCESS_DENIED));
    // A number the system has no words for still gives a reason.
    EXPECT_EQ(SystemReason(0x2badbeef), "system error 732806895");
}

struct Conversion {
    const char* name;
    std::string utf8;
    std::wstring utf16;
};

class Conversions : public testing::TestWithParam<Conversion> {};

TEST_P(Conversions, GoBothWays) {
    EXPECT_EQ(WideFromUtf8(GetParam().utf8), GetParam().utf16);
    EXPECT_EQ(ExactWideFromUtf8(GetParam().utf8), GetParam().utf16);
    EXPECT_EQ(Utf8FromWide(GetParam().utf16), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(Texts, Conversions,
                         testing::Values(Conversion{"Empty", "", L""}, Conversion{"Ascii", "a b\t", L"a b\t"},
                                         Conversion{"Accent", "\xc3\xa9", L"\u00e9"},
                                         Conversion{"Cjk", "\xe9\xa0\x85", L"\u9805"},
                                         Conversion{"Emoji", "\xf0\x9f\x9a\x80", L"\U0001F680"},
                                         Conversion{"Nul", std::string("a\0b", 3), std::wstring(L"a\0b", 3)}),
                         ParamName<Conversion>);

TEST(Unicode, TextThatIsNotUtf8IsRefusedAsANameAndMarkedForTheUser) {
    for (const std::string& bad : {std::string("a\xff"), std::string("a\xc3"), std::string("\xed\xa0\x80"),
                                   std::string("\xc0\xbf"), std::string("\xf8\x88\x80\x80\x80")}) {
        EXPECT_EQ(ExactWideFromUtf8(bad), std::nullopt) << bad;
        EXPECT_NE(WideFromUtf8(bad).find(L'\uFFFD'), std::wstring::npos) << bad;
    }
}

} // namespace
