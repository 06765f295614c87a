// What the main window does, whatever toolkit draws it: each handler run against fake dialogs and boxes.
#include "frmMain.h"

#include "Error.h"
#include "FailureMessage.h"
#include "Fakes.h"
#include "ParamName.h"
#include "Process.h"
#include "TestFiles.h"
#include "WorkedExample.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

// An item list of one line, as the dock writes it.
const std::string kItemLine = kItem + "\r\n";

class frmMainTest : public testing::Test {
protected:
    TempDir m_dir;
    FakeMessageBox m_box;
    FakeDialog m_dialog;
    int m_ends = 0;
    std::string m_label;
    frmMain m_form{{m_box, m_dialog, [this] { ++m_ends; }, [this](const std::string& text) { m_label = text; }, App()}};

    void SetUp() override { std::filesystem::create_directory(PathOf(App())); }
    std::string App() const { return m_dir / "app"; }
};

TEST_F(frmMainTest, LoadingSetsTheLabelsSixLines) {
    m_form.Form_Load();
    EXPECT_EQ(m_label, "More options coming soon (hopefully).\r\n\r\nThis includes:\r\n- More conversion types\r\n"
                       "- Dock BG conversions\r\n- Improved GUI (not skins)");
}

TEST_F(frmMainTest, AClickConvertsThePickedFileAndSavesWhereChosen) {
    WriteFile(m_dir / "itemlist.ini", kItemLine + "sep\r\n");
    m_dialog.answers = {m_dir / "itemlist.ini", m_dir / "saved.conf"};
    m_dialog.DefaultExt = "conf"; // as an earlier Save left it
    m_form.cmdYzToRKL_Click();
    ASSERT_EQ(m_dialog.shown.size(), 2U);
    const ShownDialog& open = m_dialog.shown[0];
    EXPECT_EQ(open.kind, "open");
    EXPECT_EQ(open.defaultExt, "") << "a name typed into the Open dialog is opened as typed";
    EXPECT_EQ(open.title, "Select your Y'z Dock itemlist");
    EXPECT_EQ(open.filter, "Y'z Dock Itemlist (itemlist.ini)| itemlist.ini");
    const ShownDialog& save = m_dialog.shown[1];
    EXPECT_EQ(save.kind, "save");
    EXPECT_EQ(save.title, "Select where to save your file");
    EXPECT_EQ(save.filter, "RK Launcher Itemlist (itemlist.conf) | itemlist.conf");
    EXPECT_EQ(save.fileName, "itemlist.conf");
    EXPECT_EQ(ReadFile(m_dir / "saved.conf"), kItemBlock + kSepBlock);
    EXPECT_TRUE(m_box.shown.empty());
}

// A list dropped on the window, or named alone on the command line, is converted as if picked in the Open dialog:
// the Save dialog comes at once and starts beside it.
TEST_F(frmMainTest, APickedListIsSavedWhereChosenStartingBesideIt) {
    const std::string dock = m_dir / "dock";
    std::filesystem::create_directory(PathOf(dock));
    WriteFile(dock + kNativeSeparator + "itemlist.ini", kItemLine);
    m_dialog.answers = {m_dir / "saved.conf"};
    m_form.ConvertPicked(dock + kNativeSeparator + "itemlist.ini");
    ASSERT_EQ(m_dialog.shown.size(), 1U);
    EXPECT_EQ(m_dialog.shown[0].kind, "save");
    EXPECT_EQ(m_dialog.shown[0].fileName, "itemlist.conf");
    EXPECT_EQ(m_dialog.shown[0].startFolder, dock + kNativeSeparator);
    EXPECT_EQ(ReadFile(m_dir / "saved.conf"), kItemBlock);
    EXPECT_TRUE(m_box.shown.empty());
}

TEST_F(frmMainTest, ACancelledOpenEndsTheClickSilently) {
    m_dialog.FileName = m_dir / "itemlist.ini"; // what an earlier pick left behind
    WriteFile(m_dir / "itemlist.ini", kItemLine);
    m_dialog.answers = {""};
    m_form.cmdYzToRKL_Click();
    EXPECT_EQ(m_dialog.shown.size(), 1U);
    EXPECT_TRUE(m_box.shown.empty());
    EXPECT_EQ(ListDirectory(App()), "");
}

TEST_F(frmMainTest, ACancelledSaveWritesIntoTheApplicationDirectory) {
    WriteFile(m_dir / "itemlist.ini", kItemLine);
    m_dialog.answers = {m_dir / "itemlist.ini", ""};
    m_form.cmdYzToRKL_Click();
    ASSERT_EQ(m_box.shown.size(), 1U);
    EXPECT_EQ(m_box.shown[0].prompt, "No directory selected. Saving in application directory.\r\n\r\nSaving it as " +
                                         App() + kNativeSeparator + "itemlist.conf.");
    EXPECT_EQ(m_box.shown[0].style, MsgBoxStyle::OkOnly);
    EXPECT_EQ(m_box.shown[0].title, "Tarvenne");
    EXPECT_EQ(ReadFile(App() + kNativeSeparator + "itemlist.conf"), kItemBlock);
}

TEST_F(frmMainTest, ASecondClickStartsFromAnEmptyText) {
    WriteFile(m_dir / "first.ini", kItemLine);
    WriteFile(m_dir / "second.ini", "sep\r\n");
    m_dialog.answers = {m_dir / "first.ini", m_dir / "first.conf", m_dir / "second.ini", m_dir / "second.conf"};
    m_form.cmdYzToRKL_Click();
    m_form.cmdYzToRKL_Click();
    EXPECT_EQ(ReadFile(m_dir / "first.conf"), kItemBlock);
    EXPECT_EQ(ReadFile(m_dir / "second.conf"), kSepBlock);
}

TEST_F(frmMainTest, TheHelpMenuShowsTheCommandLineHelpAndTheAboutMessage) {
    m_form.Invoke(MenuCommand::CommandLineHelp);
    m_form.Invoke(MenuCommand::About);
    ASSERT_EQ(m_box.shown.size(), 2U);
    EXPECT_EQ(m_box.shown[0].style, MsgBoxStyle::OkOnly);
    EXPECT_EQ(m_box.shown[0].title, "Tarvenne");
    EXPECT_EQ(m_box.shown[0].prompt,
              "Below is the standard for command line arguments (all are required, except -s, and must be in the "
              "order below):\r\n\r\n\r\n"
              "-in <path & filename of input file>\t:\tThis specifies the input file.\r\n\r\n"
              "-out <directory of output file>\t:\tThis specifies the output directory.\r\n\r\n"
              "-type <type here>\t\t\t:\tThis specifies the type of conversion to perform.\r\n\r\n"
              "[-s]\t\t\t\t:\tThis specifies for the conversion to be silent (no confirmation message).\r\n\r\n\r\n"
              "Available conversion types:\r\n\r\n"
              "yzrk\t:\tY'z Dock itemlist  ->  RK Launcher itemlist");
    EXPECT_EQ(m_box.shown[1].style, MsgBoxStyle::Information);
    EXPECT_EQ(m_box.shown[1].title, "About Tarvenne");
    EXPECT_EQ(m_box.shown[1].prompt, "Tarvenne 1.00 by the Tarvenne authors");
}

TEST_F(frmMainTest, ExitEndsTheProgramWithoutAsking) {
    m_form.Invoke(MenuCommand::Exit);
    EXPECT_EQ(m_ends, 1);
    EXPECT_TRUE(m_box.shown.empty());
    EXPECT_TRUE(m_dialog.shown.empty());
}

// A click that fails once a file was picked: one critical box, in the command line's words, and nothing written.
struct ClickFailure {
    const char* name;
    std::optional<std::string> input; // nothing: the picked file is not there
    bool applicationDirectoryGone;    // then the place chosen to save is missing too
    std::string reasonStart;
};

class frmMainFailureTest : public frmMainTest, public testing::WithParamInterface<ClickFailure> {};

TEST_P(frmMainFailureTest, ShowsOneBoxThatSaysWhy) {
    const std::string input = m_dir / "itemlist.ini";
    const std::string save = m_dir / "missing" + kNativeSeparator + "saved.conf";
    if (GetParam().input) {
        WriteFile(input, *GetParam().input);
    }
    if (GetParam().applicationDirectoryGone) {
        std::filesystem::remove(PathOf(App()));
    }
    m_dialog.answers = {input, save};
    m_form.cmdYzToRKL_Click();

    ASSERT_FALSE(m_box.shown.empty());
    const ShownMessage& box = m_box.shown.back();
    EXPECT_EQ(box.style, MsgBoxStyle::Critical);
    EXPECT_EQ(box.title, "Tarvenne");
    EXPECT_TRUE(box.prompt.starts_with("The conversion failed; nothing was written.\r\n\r\nInput file: " + input +
                                       "\r\n" + GetParam().reasonStart))
        << box.prompt;
    if (GetParam().applicationDirectoryGone) {
        EXPECT_NE(box.prompt.find(App() + kNativeSeparator + "itemlist.conf: "), std::string::npos) << box.prompt;
    }
    // Whatever the system's reasons end with, the sentences around them read as sentences.
    EXPECT_EQ(box.prompt.find(".)"), std::string::npos);
    EXPECT_EQ(box.prompt.find(".;"), std::string::npos);
    // Only the failure is critical; a fallback message may come before it.
    for (std::size_t i = 0; i + 1 < m_box.shown.size(); ++i) {
        EXPECT_NE(m_box.shown[i].style, MsgBoxStyle::Critical) << m_box.shown[i].prompt;
    }
    EXPECT_FALSE(std::filesystem::exists(PathOf(save)));
    EXPECT_FALSE(std::filesystem::exists(PathOf(App() + kNativeSeparator + "itemlist.conf")));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, frmMainFailureTest,
    testing::Values(ClickFailure{"ALineMissingAField", kItemLine + "sep\r\nbroken\tline\r\n", false,
                                 "Line 3 is missing a field."},
                    ClickFailure{"AnInputThatCannotBeRead", std::nullopt, false, "The input file could not be read ("},
                    ClickFailure{"BothPlaces", kItemLine, true, "The output file could not be written ("}),
    ParamName<ClickFailure>);

// A reason that is a sentence of its own does not end the message's sentence early; kinds a click cannot bring about
// here have their words too.
TEST(FailureReason, ReadsAsOneSentence) {
    EXPECT_EQ(FailureReason(Error(ErrorKind::CannotOpen, "a.ini: The file is gone.")),
              "The input file could not be read (a.ini: The file is gone).");
    EXPECT_EQ(FailureReason(Error(ErrorKind::InputChanged, "a.ini")),
              "The input file changed while it was being read.");
    EXPECT_EQ(FailureReason(std::bad_alloc()), "There was not enough memory to convert it.");
    EXPECT_EQ(FailureReason(std::runtime_error("no room left.")), "no room left.");
}

} // namespace
