// The start-up form against a fake message box, a fake launcher and files kept in memory: the boxes each argument
// text, each input and each failing place brings, whether the main window opens, the exit status, and what is
// written where. The real executable's own share (its streams, its status, the real disk) is in ProgramTest.
#include "frmStart.h"

#include "Fakes.h"
#include "MemoryFiles.h"
#include "ParamName.h"
#include "Process.h"
#include "WorkedExample.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
using Failure = MemoryFiles::Failure;

class FakeLauncher : public MainWindowLauncher {
public:
    int shown = 0;
    std::string inputPath; // the list the window was to convert
    bool ShowMainWindow(const std::string& path) override {
        ++shown;
        inputPath = path;
        return true;
    }
};

const std::string kIn = "/dock/in put.ini";
const std::string kOutFile = "/out/itemlist.conf";
const std::string kApp = "/app";
const std::string kAppFile = kApp + kNativeSeparator + "itemlist.conf";
const std::string kUsual = "-in {in} -out {out} -type yzrk";

// The text with {in}, {missing}, {out} and {app} replaced by the input, a file that is not there, the output
// directory and the application directory with its separator.
std::string Fill(std::string text) {
    for (const auto& [mark, value] : {std::pair<std::string, std::string>{"{in}", kIn},
                                      {"{missing}", "/dock/missing.ini"},
                                      {"{out}", "/out/"},
                                      {"{app}", kApp + kNativeSeparator}}) {
        for (std::size_t at; (at = text.find(mark)) != std::string::npos;) {
            text.replace(at, mark.size(), value);
        }
    }
    return text;
}

// Each box as "style:prompt"; a "..." in the expected prompt stands for any text.
void ExpectBoxes(const FakeMessageBox& box, const std::vector<std::string>& expected) {
    ASSERT_EQ(box.shown.size(), expected.size()) << (box.shown.empty() ? "" : box.shown[0].prompt);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(box.shown[i].title, "Tarvenne");
        const std::string actual = std::to_string(static_cast<int>(box.shown[i].style)) + ":" + box.shown[i].prompt;
        const std::string wanted = Fill(expected[i]);
        const std::size_t dots = wanted.find("...");
        if (dots == std::string::npos) {
            EXPECT_EQ(actual, wanted);
        } else {
            const std::string tail = wanted.substr(dots + 3);
            EXPECT_TRUE(actual.size() >= dots + tail.size() && actual.starts_with(wanted.substr(0, dots)) &&
                        actual.ends_with(tail))
                << actual << "\nis not\n"
                << wanted;
        }
    }
}

const std::string kCommandLineError = "16:Error in command line arguments. Full program will run.";
const std::string kFailed = "16:The conversion failed; nothing was written.\r\n\r\nInput file: ";
const std::string kConfirmed = "64:New file written to {out}itemlist.conf";
const std::string kFallback = "0:No directory selected. Saving in application directory.\r\n\r\n";
const std::string kHelp = "0:Below is the standard for command line arguments (all are required, except -s, and must "
                          "be in the order below):\r\n...";
const std::string kHint = "\r\nPaths need no quotation marks, even with spaces.";

class frmStartTest : public testing::Test {
protected:
    MemoryFiles m_files;
    FakeMessageBox m_box;
    FakeLauncher m_launcher;
    int m_statusAfterWindow = -1;

    void SetUp() override {
        m_files.MakeFolder("/out");
        m_files.Put(kOutFile, kPrecious);
        m_files.Put(kIn, kItem + "\r\n");
    }
    void TearDown() override { EXPECT_EQ(m_files.OpenStreams(), 0); }

    // Runs the form on the argument text: the status it ends with, or nothing when the main window runs on, which
    // it then has opened.
    std::optional<int> Load(const std::string& text, const std::string& applicationDirectory = kApp) {
        const int shownBefore = m_launcher.shown;
        frmStart start(Fill(text), m_box, m_launcher, applicationDirectory, m_files);
        const std::optional<int> status = start.Form_Load();
        EXPECT_EQ(m_launcher.shown - shownBefore, status ? 0 : 1);
        m_statusAfterWindow = start.StatusAfterWindow();
        return status;
    }

    // Nothing was written, and the file from before is as it was.
    void ExpectNothingWritten() { EXPECT_EQ(m_files.List(), kIn + " " + kOutFile); }

    // A silent conversion of the input writes result as the whole itemlist.conf, and nothing else.
    void ExpectConvertedSilently(const std::string& result) {
        EXPECT_EQ(Load(kUsual + " -s"), 0);
        EXPECT_TRUE(m_files.Get(kOutFile) == result);
        EXPECT_EQ(m_files.List(), kIn + " " + kOutFile);
        ExpectBoxes(m_box, {});
    }
};

// Argument texts: {in} is the item list of the worked example.
struct StartCase {
    const char* name;
    std::string argumentText;
    std::optional<int> status; // nothing: the main window runs on
    std::vector<std::string> boxes;
};

class ArgumentTexts : public frmStartTest, public testing::WithParamInterface<StartCase> {};

TEST_P(ArgumentTexts, ShowTheirBoxesAndEndOrOpenTheWindow) {
    EXPECT_EQ(Load(GetParam().argumentText), GetParam().status);
    ExpectBoxes(m_box, GetParam().boxes);
    // A command line that could not be carried out is no success, even once the window it opened has closed.
    if (!GetParam().status) {
        EXPECT_EQ(m_statusAfterWindow, GetParam().boxes.empty() ? 0 : 2);
        EXPECT_EQ(m_launcher.inputPath, "");
    }
    if (GetParam().status == 0 && GetParam().argumentText.find("-type") != std::string::npos) {
        EXPECT_EQ(m_files.Get(kOutFile), kItemBlock);
    } else {
        ExpectNothingWritten();
    }
}

// Windows takes command lines of up to 32,767 characters.
const std::string kJunk = Repeat(Repeat("j", 1000) + " ", 30);

#if defined(_WIN32)
// Quotation marks around a whole path go, as Windows programs hand paths with spaces over.
const StartCase kQuotedAround{"QuotedAround", "-in \"{in}\" -out \"{out}\" -type yzrk", 0, {kConfirmed}};
#else
// Quotation marks stay part of the path; a path that then names no file gets a word about them.
const StartCase kQuotedAround{
    "QuotedAround", "-in \"{in}\" -out {out} -type yzrk", 1, {kFailed + "\"{in}\"\r\n..." + kHint}};
#endif

INSTANTIATE_TEST_SUITE_P(
    Texts, ArgumentTexts,
    testing::Values(
        StartCase{"Empty", "", std::nullopt, {}}, StartCase{"NoDash", "word", std::nullopt, {kCommandLineError}},
        StartCase{"OneDash", "-in {in}", std::nullopt, {kCommandLineError}},
        StartCase{"TwoDashes", "-in {in} -out {out}", std::nullopt, {kCommandLineError}},
        StartCase{"AnotherType", "-in {in} -out {out} -type rkyz", std::nullopt, {kCommandLineError}},
        StartCase{"Confirmed", kUsual, 0, {kConfirmed}},
        StartCase{"OutNamesTheFileItself", "-in {in} -out {out}itemlist.conf -type yzrk", 0, {kConfirmed}},
        StartCase{"Silent", kUsual + " -s", 0, {}}, StartCase{"FiveDashes", kUsual + " -x -s", 0, {}},
        StartCase{"InMisspelt", "-ni {in} -out {out} -type yzrk", std::nullopt, {kCommandLineError}},
        StartCase{"OutMisspelt", "-in {in} -uot {out} -type yzrk", std::nullopt, {kCommandLineError}},
        StartCase{"TypeMisspelt", "-in {in} -out {out} -tpye yzrk", std::nullopt, {kCommandLineError}},
        StartCase{"InInCapitals", "-IN {in} -out {out} -type yzrk", std::nullopt, {kCommandLineError}},
        StartCase{"OutCapitalised", "-in {in} -Out {out} -type yzrk", std::nullopt, {kCommandLineError}},
        StartCase{"TypeInCapitals", "-in {in} -out {out} -TYPE yzrk", std::nullopt, {kCommandLineError}},
        StartCase{"TypeValueInCapitals", "-in {in} -out {out} -type YZRK", std::nullopt, {kCommandLineError}},
        StartCase{"TypeValueMisspelt", "-in {in} -out {out} -type yzkr -s", std::nullopt, {kCommandLineError}},
        StartCase{"KeywordIsAPrefix", "-input {in} -out {out} -type yzrk", 1, {kFailed + "put {in}\r\n..."}},
        StartCase{"TabsStayInTheValue", "-in \t{in} -out {out} -type yzrk", 1, {kFailed + "\t{in}\r\n..."}},
        StartCase{"NoInputGiven", "-in -out {out} -type yzrk", 1, {kFailed + "\r\nNo input file was given."}},
        StartCase{"Missing",
                  "-in {missing} -out {out} -type yzrk",
                  1,
                  {kFailed + "{missing}\r\nThe input file could not be read ({missing}: no such file)."}},
        StartCase{"QuotedInFront", "-in \"{in} -out {out} -type yzrk -s", 1, {kFailed + "\"{in}\r\n..." + kHint}},
        kQuotedAround, StartCase{"SilentFirst", "-s " + kUsual, std::nullopt, {kCommandLineError}},
        StartCase{"SilentAfterIn", "-in {in} -s -out {out} -type yzrk", std::nullopt, {kCommandLineError}},
        StartCase{"SilentAfterOut", "-in {in} -out {out} -s -type yzrk", std::nullopt, {kCommandLineError}},
        StartCase{"SilentThenSpace", kUsual + " -s ", 0, {kConfirmed}},
        StartCase{"SilentInCapitals", kUsual + " -S", 0, {kConfirmed}},
        StartCase{"SilentStuckToTheType", kUsual + "-s", 0, {}},
        StartCase{"LongTextAfterTheType", kUsual + " -x " + kJunk + "-s", 0, {}},
        StartCase{"LongInputPath", "-in " + kJunk + "-out {out} -type yzrk", 1, {kFailed + "..."}},
        StartCase{"Help", "--help", 0, {kHelp}}, StartCase{"HelpAsOnWindows", "/?", 0, {kHelp}},
        StartCase{"Version", "--version", 0, {"0:Tarvenne 1.00"}},
        // Only the exact texts ask: anything else is read as a command line.
        StartCase{"HelpAndMore", "--help ", std::nullopt, {kCommandLineError}}),
    ParamName<StartCase>);

// Input contents: converted as described, or turned down with the line at fault, with or without -s.
struct InputCase {
    const char* name;
    std::string content;
    int status;
    std::string result; // status 0: the whole itemlist.conf; status 1: the reason in the box
    // How often content and result are repeated: large lists are made when their test runs, not in every run of
    // this executable.
    std::size_t times = 1;

    std::string Content() const { return Repeat(content, times); }
    std::string Result() const { return Repeat(result, times); }
};

class InputContents : public frmStartTest, public testing::WithParamInterface<InputCase> {};

TEST_P(InputContents, ConvertOrFailCleanly) {
    m_files.Put(kIn, GetParam().Content());
    if (GetParam().status == 0) {
        ExpectConvertedSilently(GetParam().Result());
        return;
    }
    for (const std::string silent : {" -s", ""}) {
        m_box.shown.clear();
        EXPECT_EQ(Load(kUsual + silent), 1);
        ExpectBoxes(m_box, {kFailed + "{in}\r\n" + GetParam().Result()});
        ExpectNothingWritten();
    }
}

std::string AllHighBytes() {
    std::string bytes;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        bytes += static_cast<char>(byte);
    }
    return bytes;
}

const std::string kBad = "broken\t";

INSTANTIATE_TEST_SUITE_P(
    Contents, InputContents,
    testing::Values(InputCase{"NulBytes", "N\0l\tx\ta\t-\t\t12345\0\t1\r\n"s, 0,
                              "[RKDockItem]\r\nname = N\0l\r\nshow = \0\r\n\r\n"s},
                    InputCase{"MillionShortLines", "s\n", 0, kSepBlock, 1'000'000},
                    InputCase{"HighBytes", AllHighBytes() + "\tx\ta\t-\t\t12345" + AllHighBytes() + "\t1", 0,
                              "[RKDockItem]\r\nname = " + AllHighBytes() + "\r\nshow = " + AllHighBytes() + "\r\n\r\n"},
                    InputCase{"MixedLineBreaks", kItem + "\r\ns\ns\r" + kItem + "\r\n\n", 0,
                              kItemBlock + kSepBlock + kSepBlock + kItemBlock + "\r\n"},
                    InputCase{"NoFinalLineBreak", "s\r\n" + kItem, 0, kSepBlock + kItemBlock},
                    InputCase{"TenThousandFields", kItem + Repeat("\tfield", 10'000), 0, kItemBlock},
                    InputCase{"Empty", "", 0, ""},
                    InputCase{"Utf8ByteOrderMark", "\xEF\xBB\xBF" + kItem + "\r\n\xEF\xBB\xBF\r\n", 0,
                              kItemBlock + kSepBlock},
                    InputCase{"LoneCrs", std::string(100'000, '\r'), 0, Repeat("\r\n", 100'000)},
                    InputCase{"Utf16ByteOrderMark", "\xFF\xFEs\0\r\0\n\0"s, 1,
                              "The input file is saved as Unicode (UTF-16) text, which is not an item list. Save it "
                              "again as ANSI or UTF-8 text (in Notepad: File, Save As, Encoding) and convert that."},
                    InputCase{"Utf16BigEndian", "\xFE\xFF\0s"s, 1, "The input file is saved as Unicode..."},
                    InputCase{"FailsAtTheFirstLine", kBad + "\r\n" + kItem, 1, "Line 1 is missing a field."},
                    InputCase{"FailsInTheMiddle", Repeat(kItem + "\r\n", 2) + kBad + "\r\n" + Repeat(kItem + "\r\n", 2),
                              1, "Line 3 is missing a field."},
                    InputCase{"FailsAtTheLastLine", Repeat(kItem + "\r\n", 4) + "A\tx\ta\t-\t\tshow\t1", 1,
                              "Line 5 has a show field shorter than five characters."}),
    ParamName<InputCase>);

TEST_F(frmStartTest, ALineOfTenMegabytesConverts) {
    const std::string name(10'000'000, 'n');
    m_files.Put(kIn, name + "\tx\ta\t-\t\tshow.\t1");
    ExpectConvertedSilently("[RKDockItem]\r\nname = " + name + "\r\nshow = \r\n\r\n");
}

// Every way the place asked for can fail: the application directory takes the file, the box says why and where,
// the confirmation names the directory used, and the file from before stays as it was.
TEST_F(frmStartTest, AFailingPlaceFallsBackToTheApplicationDirectory) {
    for (const Failure failure : {Failure::Refuse, Failure::Write, Failure::Sync, Failure::Rename}) {
        MemoryFiles files;
        files.Put(kOutFile, kPrecious);
        files.Put(kIn, kItem + "\r\n");
        files.Fail("/out/", failure, 10);
        for (const std::string silent : {"", " -s"}) {
            FakeMessageBox box;
            FakeLauncher launcher;
            frmStart start(Fill(kUsual + silent), box, launcher, kApp, files);
            EXPECT_EQ(start.Form_Load(), 3) << static_cast<int>(failure);
            std::vector<std::string> boxes{kFallback + "The output file could not be written there: " + kOutFile +
                                           ": ...Saving it as " + kAppFile + "."};
            if (silent.empty()) {
                boxes.push_back("64:New file written to {app}itemlist.conf");
            }
            ExpectBoxes(box, boxes);
            EXPECT_EQ(files.Get(kAppFile), kItemBlock);
            EXPECT_EQ(files.Get(kOutFile), kPrecious);
            EXPECT_EQ(files.List(), kAppFile + " " + kIn + " " + kOutFile);
        }
    }
}

TEST_F(frmStartTest, AnOutputThatIsAFolderIsLeftAlone) {
    m_files.MakeFolder("/new/itemlist.conf");
    EXPECT_EQ(Load("-in {in} -out /new/ -type yzrk -s"), 3);
    EXPECT_EQ(m_files.Get(kAppFile), kItemBlock);
    EXPECT_EQ(m_files.Get("/new/itemlist.conf"), std::nullopt);
}

// Neither place takes the file: nothing is written anywhere, and the failure names both places.
TEST_F(frmStartTest, WhenNeitherPlaceTakesTheFileNothingIsLost) {
    m_files.Fail("/out/", Failure::Refuse);
    m_files.Fail(kApp, Failure::Sync);
    EXPECT_EQ(Load(kUsual + " -s"), 1);
    ExpectBoxes(m_box, {kFallback + "...", kFailed + "{in}\r\nThe output file could not be written (" + kOutFile +
                                               ": refused; then " + kAppFile + ": the file could not be synced)."});
    ExpectNothingWritten();
}

TEST_F(frmStartTest, AValueNamingAFileRunsIntoTheFileName) {
    m_files.Put("/out/notes.txt", "notes");
    EXPECT_EQ(Load("-in {in} -out /out/notes.txt -type yzrk"), 0);
    ExpectBoxes(m_box, {"64:New file written to /out/notes.txtitemlist.conf"});
    EXPECT_EQ(m_files.Get("/out/notes.txtitemlist.conf"), kItemBlock);
    EXPECT_EQ(m_files.Get("/out/notes.txt"), "notes");
    EXPECT_EQ(m_files.Get(kOutFile), kPrecious);
}

// An application directory that is the root of the file system has no name before its separator: the file goes to
// the root, with the separator once.
TEST_F(frmStartTest, TheRootAsApplicationDirectory) {
    m_files.Fail("/missing/", Failure::Refuse);
    EXPECT_EQ(Load("-in {in} -out /missing/ -type yzrk", ""), 3);
    const std::string root(1, kNativeSeparator);
    ExpectBoxes(m_box, {kFallback + "...Saving it as " + root + "itemlist.conf.",
                        "64:New file written to " + root + "itemlist.conf"});
    EXPECT_EQ(m_files.Get(root + "itemlist.conf"), kItemBlock);
}

// A list dropped on the program comes as the whole argument text: the window opens and converts it. Anything that
// is not exactly one existing file stays a command line the program cannot carry out.
TEST_F(frmStartTest, ALoneFileOpensTheWindowWithIt) {
    using Case = std::pair<std::string, std::string>;
    for (const auto& [text, converted] :
         {Case{"{in}", kIn}, Case{"\"{in}\"", kIn}, Case{"/out", ""}, Case{"{missing}", ""}, Case{" {in}", ""}}) {
        m_box.shown.clear();
        EXPECT_EQ(Load(text), std::nullopt) << text;
        EXPECT_EQ(m_launcher.inputPath, converted) << text;
        EXPECT_EQ(m_box.shown.size(), converted.empty() ? 1U : 0U) << text;
        EXPECT_EQ(m_statusAfterWindow, converted.empty() ? 2 : 0) << text;
    }
    ExpectNothingWritten();
}

// Paths with a "-": read whole where the cut at every "-" cannot read the command line; where neither reading can,
// the error says how to write them.
TEST_F(frmStartTest, PathsWithADashAreReadWhole) {
    m_files.Put("/yz-backup/itemlist.ini", kItem + "\r\n");
    m_files.MakeFolder("/rk-out");
    EXPECT_EQ(Load("-in /yz-backup/itemlist.ini -out /rk-out/ -type yzrk"), 0);
    ExpectBoxes(m_box, {"64:New file written to /rk-out/itemlist.conf"});
    EXPECT_EQ(m_files.Get("/rk-out/itemlist.conf"), kItemBlock);

    m_box.shown.clear();
    EXPECT_EQ(Load("-in /dock/x-y.ini -out {out} -typ yzrk"), std::nullopt);
    ExpectBoxes(m_box, {kCommandLineError + "\r\n\r\nA path that holds a \"-\" is read whole when ..."});
}

// Only an input that cannot be opened because of its quotation marks gets the hint about them.
TEST_F(frmStartTest, OnlyAnInputThatCannotBeOpenedBecauseOfItsQuotesGetsTheHint) {
    m_files.Put("/dock/q.ini", "broken\t\r\n");
    using Case = std::pair<std::string, bool>;
    for (const auto& [input, hint] :
         {Case{"\"/dock/q.ini", true}, Case{"/dock/q.ini\"", true}, Case{"/dock/q\".ini", false},
          Case{"/dock/missing.ini", false}, Case{"/dock/q.ini", false}}) {
        m_box.shown.clear();
        EXPECT_EQ(Load("-in " + input + " -out {out} -type yzrk -s"), 1) << input;
        ASSERT_EQ(m_box.shown.size(), 1U) << input;
        EXPECT_EQ(m_box.shown[0].prompt.ends_with(kHint), hint) << m_box.shown[0].prompt;
    }
}

} // namespace
