// The start-up form against a fake message box and launcher: which boxes each argument text brings, whether the
// main window opens, and the exit status.
#include "frmStart.h"

#include "Fakes.h"
#include "ParamName.h"
#include "Process.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace {

class FakeLauncher : public MainWindowLauncher {
public:
    int shown = 0;
    bool ShowMainWindow() override {
        ++shown;
        return true;
    }
};

// {in}, {missing} and {out} stand for a good input file, one that is not there, and the output directory.
struct StartCase {
    const char* name;
    std::string argumentText;
    std::optional<int> status;      // nothing: the main window runs on
    std::vector<std::string> boxes; // each box as "style:prompt"; "..." at the end of a prompt matches any rest
};

class frmStartTest : public testing::TestWithParam<StartCase> {
protected:
    TempDir m_dir;

    std::string Fill(std::string text) const {
        for (const auto& [mark, value] : {std::pair<std::string, std::string>{"{in}", m_dir / "in put.ini"},
                                          {"{missing}", m_dir / "missing.ini"},
                                          {"{out}", m_dir.Path() + kNativeSeparator}}) {
            for (std::size_t at; (at = text.find(mark)) != std::string::npos;) {
                text.replace(at, mark.size(), value);
            }
        }
        return text;
    }
};

TEST_P(frmStartTest, ShowsItsBoxesAndEndsOrOpensTheWindow) {
    WriteFile(m_dir / "in put.ini", "separator\r\n");
    FakeMessageBox box;
    FakeLauncher launcher;
    frmStart start(Fill(GetParam().argumentText), box, launcher, m_dir / "app");
    EXPECT_EQ(start.Form_Load(), GetParam().status);
    EXPECT_EQ(launcher.shown, GetParam().status ? 0 : 1);
    ASSERT_EQ(box.shown.size(), GetParam().boxes.size());
    for (std::size_t i = 0; i < box.shown.size(); ++i) {
        EXPECT_EQ(box.shown[i].title, "Tarvenne");
        const std::string actual = std::to_string(static_cast<int>(box.shown[i].style)) + ":" + box.shown[i].prompt;
        const std::string expected = Fill(GetParam().boxes[i]);
        if (expected.ends_with("...")) {
            EXPECT_EQ(actual.substr(0, expected.size() - 3), expected.substr(0, expected.size() - 3));
        } else {
            EXPECT_EQ(actual, expected);
        }
    }
}

const std::string kCommandLineError = "16:Error in command line arguments. Full program will run.";
const std::string kFailed = "16:The conversion failed; nothing was written.\r\n\r\nInput file: ";
const std::string kHelp = "0:Below is the standard for command line arguments (all are required, except -s, and must "
                          "be in the order below):\r\n...";
const std::string kHint = "\r\nPaths need no quotation marks, even with spaces.";

#if defined(_WIN32)
// Quotation marks around a whole path go, as Windows programs hand paths with spaces over.
const StartCase kQuotedAround{
    "QuotedAround", "-in \"{in}\" -out \"{out}\" -type yzrk", 0, {"64:New file written to {out}"}};
#else
// Quotation marks stay part of the path; a path that then names no file gets a word about them.
const StartCase kQuotedAround{"QuotedAround", "-in \"{in}\" -out {out} -type yzrk", 1, {kFailed + "\"{in}\"\r\n..."}};
#endif

INSTANTIATE_TEST_SUITE_P(
    ArgumentTexts, frmStartTest,
    testing::Values(StartCase{"Empty", "", std::nullopt, {}},
                    StartCase{"Malformed", "-in {in} -out {out}", std::nullopt, {kCommandLineError}},
                    StartCase{"AnotherType", "-in {in} -out {out} -type rkyz", std::nullopt, {kCommandLineError}},
                    StartCase{"Confirmed", "-in {in} -out {out} -type yzrk", 0, {"64:New file written to {out}"}},
                    StartCase{"Silent", "-in {in} -out {out} -type yzrk -s", 0, {}},
                    StartCase{
                        "NoInputGiven", "-in -out {out} -type yzrk", 1, {kFailed + "\r\nNo input file was given."}},
                    StartCase{"Missing",
                              "-in {missing} -out {out} -type yzrk",
                              1,
                              {kFailed + "{missing}\r\nThe input file could not be read ({missing}: ..."}},
                    StartCase{"QuotedInFront", "-in \"{in} -out {out} -type yzrk -s", 1, {kFailed + "\"{in}\r\n..."}},
                    kQuotedAround, StartCase{"Help", "--help", 0, {kHelp}},
                    StartCase{"HelpAsOnWindows", "/?", 0, {kHelp}},
                    StartCase{"Version", "--version", 0, {"0:Tarvenne 1.00"}},
                    // Only the exact texts ask: anything else is read as a command line.
                    StartCase{"HelpAndMore", "--help ", std::nullopt, {kCommandLineError}}),
    ParamName<StartCase>);

TEST(frmStartQuotes, OnlyAnInputThatCannotBeOpenedBecauseOfItsQuotesGetsTheHint) {
    TempDir dir;
    WriteFile(dir / "q.ini", "broken\t\r\n");
    FakeLauncher launcher;
    using Case = std::pair<std::string, bool>;
    for (const auto& [input, hint] :
         {Case{std::string("\"").append(dir / "q.ini"), true}, Case{(dir / "q.ini").append("\""), true},
          Case{dir / "q\".ini", false}, Case{dir / "missing.ini", false}, Case{dir / "q.ini", false}}) {
        FakeMessageBox box;
        frmStart start("-in " + input + " -out " + dir.Path() + kNativeSeparator + " -type yzrk -s", box, launcher,
                       dir / "app");
        EXPECT_EQ(start.Form_Load(), 1) << input;
        ASSERT_EQ(box.shown.size(), 1U) << input;
        EXPECT_EQ(box.shown[0].prompt.ends_with(kHint), hint) << box.shown[0].prompt;
    }
}

} // namespace
