// Message boxes as console text: which stream each style goes to, and every kind of line break as one LF.
#include "ConsoleMessageBox.h"

#include "ParamName.h"

#include "TestFiles.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

struct ConsoleCase {
    const char* name;
    std::string prompt;
    MsgBoxStyle style;
    std::string out;
    std::string err;
};

std::string Contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    for (int c = 0; (c = std::fgetc(file)) != EOF;) {
        text += static_cast<char>(c);
    }
    std::fclose(file);
    return text;
}

class ConsoleMessageBoxTest : public testing::TestWithParam<ConsoleCase> {};

TEST_P(ConsoleMessageBoxTest, PrintsThePromptLineByLine) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(out != nullptr && err != nullptr);
    ConsoleMessageBox box(out, err);
    box.MsgBox(GetParam().prompt, GetParam().style);
    EXPECT_EQ(Contents(out), GetParam().out);
    EXPECT_EQ(Contents(err), GetParam().err);
}

INSTANTIATE_TEST_SUITE_P(Prompts, ConsoleMessageBoxTest,
                         testing::Values(ConsoleCase{"OneLine", "done", MsgBoxStyle::Information, "done\n", ""},
                                         ConsoleCase{"CriticalGoesToErrors", "bad", MsgBoxStyle::Critical, "", "bad\n"},
                                         ConsoleCase{"PlainGoesToOutput", "note", MsgBoxStyle::OkOnly, "note\n", ""},
                                         ConsoleCase{"CrLf", "a\r\nb", MsgBoxStyle::OkOnly, "a\nb\n", ""},
                                         ConsoleCase{"LoneCr", "a\rb", MsgBoxStyle::OkOnly, "a\nb\n", ""},
                                         ConsoleCase{"LoneLf", "a\nb", MsgBoxStyle::OkOnly, "a\nb\n", ""},
                                         ConsoleCase{"LfCrIsTwoBreaks", "a\n\rb", MsgBoxStyle::OkOnly, "a\n\nb\n", ""},
                                         ConsoleCase{"EmptyLinesStay", "a\r\n\r\n\r\nb", MsgBoxStyle::OkOnly,
                                                     "a\n\n\nb\n", ""},
                                         ConsoleCase{"BreakAtTheEnd", "a\r\n", MsgBoxStyle::OkOnly, "a\n\n", ""},
                                         ConsoleCase{"CrAtTheEnd", "a\r", MsgBoxStyle::OkOnly, "a\n\n", ""},
                                         ConsoleCase{"EmptyPrompt", "", MsgBoxStyle::OkOnly, "\n", ""},
                                         ConsoleCase{"TabsStay", "a\tb", MsgBoxStyle::Critical, "", "a\tb\n"}),
                         ParamName<ConsoleCase>);

// Output that cannot be written (a full disk, a closed pipe) is said on the error stream; what the user asked to
// read fails.
TEST(ConsoleMessageBox, SaysWhenTheOutputCannotBeWritten) {
    TempDir dir;
    WriteFile(dir / "read-only", "");
    std::FILE* out = std::fopen((dir / "read-only").c_str(), "r");
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(out != nullptr && err != nullptr);
    ConsoleMessageBox box(out, err);
    EXPECT_FALSE(box.Print("Tarvenne 1.00"));
    box.MsgBox("New file written to /out/itemlist.conf", MsgBoxStyle::Information);
    std::fclose(out);
    const std::string said = Contents(err);
    const std::string line = "Tarvenne: the output could not be written: ";
    ASSERT_TRUE(said.starts_with(line)) << said;
    EXPECT_NE(said.find("\n" + line), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
}

} // namespace
