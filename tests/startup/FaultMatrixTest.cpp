// Bad input files, places that cannot be written and odd command lines, against the real executable: each gives its
// message and exit status, never a crash or a hang, and no failure changes an existing itemlist.conf or leaves a file
// behind. What only one system has (its special files, its ways of refusing a write) is in posix/ and win32/.
#include "FaultMatrix.h"
#include "ParamName.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

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

// Places that cannot be written: the application directory takes the file; the existing file stays as it was.
TEST_F(FaultMatrix, OutputPlacesThatFallBackToTheApplicationDirectory) {
    WriteFile(m_out + "notes.txt", "notes");
    const std::string sep(1, kNativeSeparator);
    for (const std::string& out :
         {m_dir / "missing" + sep, m_out + "notes.txt" + sep, m_out + "notes.txt" + sep + "sub" + sep}) {
        std::filesystem::remove(PathOf(InApp("itemlist.conf")));
        const ProgramResult result = Convert(m_input, out);
        EXPECT_EQ(result.status, 3) << out;
        EXPECT_TRUE(kConsoleMessages ? result.out == kFallback : result.out.starts_with(kFallback + "\n"));
        EXPECT_EQ(ReadFile(InApp("itemlist.conf")), kItemBlock);
    }
}

// Neither the directory asked for nor the application directory takes the file: nothing is written anywhere, and the
// failure names both places.
TEST_F(FaultMatrix, WhenNeitherPlaceTakesTheFileNothingIsLost) {
    std::filesystem::create_directory(PathOf(InApp("itemlist.conf")));
    const std::string out = m_dir / "missing" + kNativeSeparator;
    const ProgramResult result = Convert(m_input, out);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(kFailed), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(out + "itemlist.conf: "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("; then " + InApp("itemlist.conf") + ": "), std::string::npos) << result.err;
    EXPECT_EQ(ListDirectory(InApp("itemlist.conf")), "");
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
}

TEST_F(FaultMatrix, AValueNamingAFileRunsIntoTheFileName) {
    WriteFile(m_out + "notes.txt", "notes");
    const ProgramResult result = Convert(m_input, m_out + "notes.txt");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadFile(m_out + "notes.txtitemlist.conf"), kItemBlock);
    EXPECT_EQ(ReadFile(m_out + "notes.txt"), "notes");
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
}

TEST_F(FaultMatrix, AnOutputThatIsADirectoryIsLeftAlone) {
    std::filesystem::remove(PathOf(m_out + "itemlist.conf"));
    std::filesystem::create_directories(PathOf(m_out + "itemlist.conf") / "inside");
    const ProgramResult result = Convert(m_input, m_out);
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(ReadFile(InApp("itemlist.conf")), kItemBlock);
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

TEST_P(CommandLines, GiveTheirMessagesAndStatus) {
    const ProgramResult result = RunText(Fill(GetParam().text, m_input, m_out));
    if (GetParam().status == kWindowDue) {
        ExpectTheWindowWasDue(result);
    } else {
        EXPECT_EQ(result.status, GetParam().status);
    }
    EXPECT_EQ(result.out, Fill(GetParam().out, m_input, m_out));
    const std::string errStart = Fill(GetParam().errStart, m_input, m_out);
    EXPECT_EQ(result.err.substr(0, errStart.size()), errStart);
    if (GetParam().status == 0) {
        EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kItemBlock);
    } else {
        ExpectNothingChanged();
    }
}

const std::string kUsual = "-in {in} -out {out} -type yzrk";
const std::string kConfirmed = "New file written to {out}\n";
const std::string kJunk = Repeat(Repeat("j", 1000) + " ", 30);
#if defined(_WIN32)
// Quotation marks around a whole path go, as Windows programs hand paths with spaces over.
const CommandCase kQuotes{"QuotesAroundAValueGo", "-in \"{in}\" -out \"{out}\" -type yzrk", 0, kConfirmed, ""};
#else
const CommandCase kQuotes{"QuotesStayInTheValue", "-in \"{in}\" -out {out} -type yzrk", 1, "",
                          kFailed + "\nInput file: \"{in}\"\n"};
#endif

INSTANTIATE_TEST_SUITE_P(
    Texts, CommandLines,
    testing::Values(
        CommandCase{"NoDashEmpty", "", kWindowDue, "", ""},
        CommandCase{"NoDash", "word", kWindowDue, "", kCommandLineError},
        CommandCase{"OneDash", "-in {in}", kWindowDue, "", kCommandLineError},
        CommandCase{"TwoDashes", "-in {in} -out {out}", kWindowDue, "", kCommandLineError},
        CommandCase{"ThreeDashes", kUsual, 0, kConfirmed, ""}, CommandCase{"FourDashes", kUsual + " -s", 0, "", ""},
        CommandCase{"FiveDashes", kUsual + " -x -s", 0, "", ""},
        CommandCase{"InMisspelt", "-ni {in} -out {out} -type yzrk", kWindowDue, "", kCommandLineError},
        CommandCase{"OutMisspelt", "-in {in} -uot {out} -type yzrk", kWindowDue, "", kCommandLineError},
        CommandCase{"TypeMisspelt", "-in {in} -out {out} -tpye yzrk", kWindowDue, "", kCommandLineError},
        CommandCase{"InInCapitals", "-IN {in} -out {out} -type yzrk", kWindowDue, "", kCommandLineError},
        CommandCase{"OutCapitalised", "-in {in} -Out {out} -type yzrk", kWindowDue, "", kCommandLineError},
        CommandCase{"TypeInCapitals", "-in {in} -out {out} -TYPE yzrk", kWindowDue, "", kCommandLineError},
        CommandCase{"TypeValueInCapitals", "-in {in} -out {out} -type YZRK", kWindowDue, "", kCommandLineError},
        CommandCase{"TypeValueMisspelt", "-in {in} -out {out} -type yzkr -s", kWindowDue, "", kCommandLineError},
        CommandCase{"KeywordIsAPrefix", "-input {in} -out {out} -type yzrk", 1, "", kFailed + "\nInput file: put {in}"},
        kQuotes,
        CommandCase{"TabsStayInTheValue", "-in \t{in} -out {out} -type yzrk", 1, "",
                    kFailed + "\nInput file: \t{in}\n"},
        CommandCase{"SilentFirst", "-s " + kUsual, kWindowDue, "", kCommandLineError},
        CommandCase{"SilentAfterIn", "-in {in} -s -out {out} -type yzrk", kWindowDue, "", kCommandLineError},
        CommandCase{"SilentAfterOut", "-in {in} -out {out} -s -type yzrk", kWindowDue, "", kCommandLineError},
        CommandCase{"SilentThenSpace", kUsual + " -s ", 0, kConfirmed, ""},
        CommandCase{"SilentInCapitals", kUsual + " -S", 0, kConfirmed, ""},
        CommandCase{"SilentStuckToTheType", kUsual + "-s", 0, "", ""},
        // Windows takes command lines of up to 32,767 characters.
        CommandCase{"LongTextAfterTheType", kUsual + " -x " + kJunk + "-s", 0, "", ""},
        CommandCase{"LongInputPath", "-in " + kJunk + "-out {out} -type yzrk", 1, "", kFailed}),
    ParamName<CommandCase>);

} // namespace
