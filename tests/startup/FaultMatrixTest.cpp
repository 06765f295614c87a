// Bad input files, places that cannot be written and odd command lines, against the real executable without a
// display: each gives its message and exit status, never a crash or a hang, and no failure changes an existing
// itemlist.conf or leaves a file behind.
#include "ParamName.h"
#include "ProgramFixture.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using namespace std::string_literals;

const std::string kItem = "Editor\ttype.app\tC:\\e.exe\t-\t\t12345normal\t1";
const std::string kItemBlock =
    "[RKDockItem]\r\ntype = shortcut\r\nname = Editor\r\nlink = C:\\e.exe\r\nshow = normal\r\n\r\n";
const std::string kSepBlock = "[RKDockItem]\r\ntype = separator\r\nshow = normal\r\n\r\n";
const std::string kPrecious = "[RKDockItem]\r\nname = kept from before\r\n\r\n";
const std::string kCommandLineError = "Error in command line arguments. Full program will run.\n";
const std::string kFallback = "No directory selected. Saving in application directory.\n";
const std::string kFailed = "The conversion failed; nothing was written.\n";
const std::string kNoDisplay = "Tarvenne: no graphical display";

std::string Repeat(const std::string& text, int times) {
    std::string result;
    result.reserve(text.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

class FaultMatrix : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        WriteFile(m_out + "itemlist.conf", kPrecious);
        WriteFile(m_input, kItem + "\r\n");
    }

    // The argument text handed over exactly: cut at every space into arguments, which the program joins again.
    ProgramResult RunText(const std::string& text, const std::vector<std::string>& environment = {}) {
        std::vector<std::string> arguments;
        if (!text.empty()) {
            std::size_t start = 0;
            for (std::size_t space; (space = text.find(' ', start)) != std::string::npos; start = space + 1) {
                arguments.push_back(text.substr(start, space - start));
            }
            arguments.push_back(text.substr(start));
        }
        return Run(arguments, environment);
    }
    ProgramResult Convert(const std::string& input, const std::string& out,
                          const std::vector<std::string>& environment = {}, bool silent = true) {
        return RunText("-in " + input + " -out " + out + " -type yzrk" + (silent ? " -s" : ""), environment);
    }

    // A failed conversion says why on stderr, with or without -s, never confirms, and changes nothing.
    void ExpectFailure(const std::string& input, const std::string& reason) {
        for (const bool silent : {true, false}) {
            const ProgramResult result = Convert(input, m_out, {}, silent);
            EXPECT_EQ(result.status, 1) << silent;
            EXPECT_EQ(result.out, "");
            EXPECT_TRUE(result.err.starts_with(kFailed + "\nInput file: " + input + "\n")) << result.err;
            EXPECT_NE(result.err.find(reason), std::string::npos) << result.err;
            ExpectNothingChanged();
        }
    }

    void ExpectNothingChanged() {
        EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
        EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
        EXPECT_EQ(ListDirectory(m_app), "tarvenne");
    }
};

// Input files with content: converted as described, or turned down with the line at fault.
struct InputCase {
    const char* name;
    std::string content;
    int status;
    std::string result; // status 0: the whole itemlist.conf; status 1: what the message says
};

class InputFiles : public FaultMatrix, public testing::WithParamInterface<InputCase> {};

TEST_P(InputFiles, ConvertOrFailCleanly) {
    WriteFile(m_input, GetParam().content);
    if (GetParam().status != 0) {
        ExpectFailure(m_input, GetParam().result);
        return;
    }
    const ProgramResult result = Convert(m_input, m_out);
    ASSERT_EQ(result.status, 0) << result.err.substr(0, 500);
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), GetParam().result);
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
}

std::string AllHighBytes() {
    std::string bytes;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        bytes += static_cast<char>(byte);
    }
    return bytes;
}

const std::string kTenMegabytes(10'000'000, 'n');
const std::string kBad = "broken\t";

INSTANTIATE_TEST_SUITE_P(
    Contents, InputFiles,
    testing::Values(InputCase{"NulBytes", "N\0l\tx\ta\t-\t\t12345\0\t1\r\n"s, 0,
                              "[RKDockItem]\r\nname = N\0l\r\nshow = \0\r\n\r\n"s},
                    InputCase{"TenMegabyteLine", kTenMegabytes + "\tx\ta\t-\t\tshow.\t1", 0,
                              "[RKDockItem]\r\nname = " + kTenMegabytes + "\r\nshow = \r\n\r\n"},
                    InputCase{"MillionShortLines", Repeat("s\n", 1'000'000), 0, Repeat(kSepBlock, 1'000'000)},
                    InputCase{"HighBytes", AllHighBytes() + "\tx\ta\t-\t\t12345" + AllHighBytes() + "\t1", 0,
                              "[RKDockItem]\r\nname = " + AllHighBytes() + "\r\nshow = " + AllHighBytes() + "\r\n\r\n"},
                    InputCase{"MixedLineBreaks", kItem + "\r\ns\ns\r" + kItem + "\r\n\n", 0,
                              kItemBlock + kSepBlock + kSepBlock + kItemBlock + "\r\n"},
                    InputCase{"NoFinalLineBreak", "s\r\n" + kItem, 0, kSepBlock + kItemBlock},
                    InputCase{"TenThousandFields", kItem + Repeat("\tfield", 10'000), 0, kItemBlock},
                    InputCase{"FailsAtTheFirstLine", kBad + "\r\n" + kItem, 1, "Line 1 is missing a field."},
                    InputCase{"FailsInTheMiddle", Repeat(kItem + "\r\n", 2) + kBad + "\r\n" + Repeat(kItem + "\r\n", 2),
                              1, "Line 3 is missing a field."},
                    InputCase{"FailsAtTheLastLine", Repeat(kItem + "\r\n", 4) + "A\tx\ta\t-\t\tshow\t1", 1,
                              "Line 5 has a show field shorter than five characters."}),
    ParamName<InputCase>);

// Inputs that are not files to read.
struct SpecialInput {
    const char* name;
    const char* kind;
    std::string reason;
};

class SpecialInputs : public FaultMatrix, public testing::WithParamInterface<SpecialInput> {};

TEST_P(SpecialInputs, AreTurnedDown) {
    const std::string kind = GetParam().kind;
    std::string input = m_dir / "special";
    if (kind == "empty path") {
        input.clear();
    } else if (kind == "directory") {
        std::filesystem::create_directory(input);
    } else if (kind == "fifo") {
        ASSERT_EQ(::mkfifo(input.c_str(), 0600), 0);
    } else if (kind == "device") {
        input = "/dev/zero";
    }
    ExpectFailure(input, GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SpecialInputs,
                         testing::Values(SpecialInput{"Missing", "missing", "No such file or directory"},
                                         SpecialInput{"EmptyPath", "empty path", "No such file or directory"},
                                         SpecialInput{"Directory", "directory", "not a regular file"},
                                         SpecialInput{"Fifo", "fifo", "not a regular file"},
                                         SpecialInput{"Device", "device", "not a regular file"}),
                         ParamName<SpecialInput>);

// Places that cannot be written: the application directory takes the file, or, when it cannot either, the run
// fails; the existing file stays as it was.
TEST_F(FaultMatrix, OutputPlacesThatFallBackToTheApplicationDirectory) {
    WriteFile(m_out + "notes.txt", "notes");
    for (const std::string& out : {m_dir / "missing/", m_out + "notes.txt/", m_out + "notes.txt/sub/"}) {
        std::filesystem::remove(m_app + "/itemlist.conf");
        const ProgramResult result = Convert(m_input, out);
        EXPECT_EQ(result.status, 3) << out;
        EXPECT_EQ(result.out, kFallback);
        EXPECT_EQ(ReadFile(m_app + "/itemlist.conf"), kItemBlock);
    }
    std::filesystem::remove(m_app + "/itemlist.conf");
    // The same when the directory exists but refuses new files.
    const ProgramResult result = Convert(m_input, m_out, UnwritableDirectories({m_dir / "out"}));
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.out, kFallback);
    EXPECT_EQ(ReadFile(m_app + "/itemlist.conf"), kItemBlock);
    EXPECT_EQ(ReadFile(m_out + "notes.txt"), "notes");
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf notes.txt");
}

TEST_F(FaultMatrix, AValueNamingAFileRunsIntoTheFileName) {
    WriteFile(m_out + "notes.txt", "notes");
    const ProgramResult result = Convert(m_input, m_out + "notes.txt");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadFile(m_out + "notes.txtitemlist.conf"), kItemBlock);
    EXPECT_EQ(ReadFile(m_out + "notes.txt"), "notes");
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
}

TEST_F(FaultMatrix, WhenNeitherPlaceCanBeWrittenNothingIsLost) {
    chmod(m_app.c_str(), 0555);
    chmod((m_dir / "out").c_str(), 0555);
    const ProgramResult result = Convert(m_input, m_out, UnwritableDirectories({m_dir / "out", m_app}));
    chmod(m_app.c_str(), 0755);
    chmod((m_dir / "out").c_str(), 0755);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, kFallback);
    EXPECT_TRUE(result.err.starts_with(kFailed)) << result.err;
    EXPECT_NE(result.err.find("The output file could not be written (" + m_app + "/itemlist.conf: Permission denied)"),
              std::string::npos)
        << result.err;
    ExpectNothingChanged();
}

TEST_F(FaultMatrix, AnOutputThatIsALinkReplacesTheFileItPointsTo) {
    std::filesystem::create_directory(m_dir / "real");
    WriteFile(m_dir / "real/list.conf", kPrecious);
    std::filesystem::remove(m_out + "itemlist.conf");
    std::filesystem::create_symlink("../real/list.conf", m_out + "itemlist.conf");
    std::filesystem::create_symlink("../real/new.conf", m_out + "dangling");
    EXPECT_EQ(Convert(m_input, m_out).status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(m_out + "itemlist.conf"));
    EXPECT_EQ(ReadFile(m_dir / "real/list.conf"), kItemBlock);
    EXPECT_EQ(ListDirectory(m_dir / "real"), "list.conf");
}

TEST_F(FaultMatrix, AnOutputThatIsADirectoryIsLeftAlone) {
    std::filesystem::remove(m_out + "itemlist.conf");
    std::filesystem::create_directories(m_out + "itemlist.conf/inside");
    const ProgramResult result = Convert(m_input, m_out);
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(ReadFile(m_app + "/itemlist.conf"), kItemBlock);
    EXPECT_EQ(ListDirectory(m_out + "itemlist.conf"), "inside");
}

// Command lines: {in} and {out} stand for a good input file and the output directory.
struct CommandCase {
    const char* name;
    std::string text;
    int status;
    std::string out;      // all of stdout
    std::string errStart; // the start of stderr
};

class CommandLines : public FaultMatrix, public testing::WithParamInterface<CommandCase> {};

std::string Fill(std::string text, const std::string& in, const std::string& out) {
    for (const auto& [mark, value] : {std::pair{std::string("{in}"), in}, std::pair{std::string("{out}"), out}}) {
        for (std::size_t at; (at = text.find(mark)) != std::string::npos;) {
            text = text.substr(0, at) + value + text.substr(at + mark.size());
        }
    }
    return text;
}

TEST_P(CommandLines, GiveTheirMessagesAndStatus) {
    const ProgramResult result = RunText(Fill(GetParam().text, m_input, m_out));
    EXPECT_EQ(result.status, GetParam().status);
    EXPECT_EQ(result.out, Fill(GetParam().out, m_input, m_out));
    const std::string errStart = Fill(GetParam().errStart, m_input, m_out);
    EXPECT_EQ(result.err.substr(0, errStart.size()), errStart);
    if (GetParam().status == 2) {
        // The main window was due: after any command-line error comes the word that it cannot open.
        EXPECT_NE(result.err.find(kNoDisplay), std::string::npos) << result.err;
    }
    if (GetParam().status == 0) {
        EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kItemBlock);
    } else {
        ExpectNothingChanged();
    }
}

const std::string kUsual = "-in {in} -out {out} -type yzrk";
const std::string kConfirmed = "New file written to {out}\n";
const std::string kJunk = Repeat(Repeat("j", 100'000) + " ", 10);

INSTANTIATE_TEST_SUITE_P(
    Texts, CommandLines,
    testing::Values(
        CommandCase{"NoDashEmpty", "", 2, "", kNoDisplay}, CommandCase{"NoDash", "word", 2, "", kCommandLineError},
        CommandCase{"OneDash", "-in {in}", 2, "", kCommandLineError},
        CommandCase{"TwoDashes", "-in {in} -out {out}", 2, "", kCommandLineError},
        CommandCase{"ThreeDashes", kUsual, 0, kConfirmed, ""}, CommandCase{"FourDashes", kUsual + " -s", 0, "", ""},
        CommandCase{"FiveDashes", kUsual + " -x -s", 0, "", ""},
        CommandCase{"InMisspelt", "-ni {in} -out {out} -type yzrk", 2, "", kCommandLineError},
        CommandCase{"OutMisspelt", "-in {in} -uot {out} -type yzrk", 2, "", kCommandLineError},
        CommandCase{"TypeMisspelt", "-in {in} -out {out} -tpye yzrk", 2, "", kCommandLineError},
        CommandCase{"InInCapitals", "-IN {in} -out {out} -type yzrk", 2, "", kCommandLineError},
        CommandCase{"OutCapitalised", "-in {in} -Out {out} -type yzrk", 2, "", kCommandLineError},
        CommandCase{"TypeInCapitals", "-in {in} -out {out} -TYPE yzrk", 2, "", kCommandLineError},
        CommandCase{"TypeValueInCapitals", "-in {in} -out {out} -type YZRK", 2, "", kCommandLineError},
        CommandCase{"TypeValueMisspelt", "-in {in} -out {out} -type yzkr -s", 2, "", kCommandLineError},
        CommandCase{"KeywordIsAPrefix", "-input {in} -out {out} -type yzrk", 1, "", kFailed + "\nInput file: put {in}"},
        CommandCase{"QuotesStayInTheValue", "-in \"{in}\" -out {out} -type yzrk", 1, "",
                    kFailed + "\nInput file: \"{in}\"\n"},
        CommandCase{"TabsStayInTheValue", "-in \t{in} -out {out} -type yzrk", 1, "",
                    kFailed + "\nInput file: \t{in}\n"},
        CommandCase{"SilentFirst", "-s " + kUsual, 2, "", kCommandLineError},
        CommandCase{"SilentAfterIn", "-in {in} -s -out {out} -type yzrk", 2, "", kCommandLineError},
        CommandCase{"SilentAfterOut", "-in {in} -out {out} -s -type yzrk", 2, "", kCommandLineError},
        CommandCase{"SilentThenSpace", kUsual + " -s ", 0, kConfirmed, ""},
        CommandCase{"SilentInCapitals", kUsual + " -S", 0, kConfirmed, ""},
        CommandCase{"SilentStuckToTheType", kUsual + "-s", 0, "", ""},
        CommandCase{"MegabyteAfterTheType", kUsual + " -x " + kJunk + "-s", 0, "", ""},
        CommandCase{"MegabyteInputPath", "-in " + kJunk + "-out {out} -type yzrk", 1, "", kFailed}),
    ParamName<CommandCase>);

} // namespace
