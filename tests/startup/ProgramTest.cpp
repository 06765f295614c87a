// The real executable from the command line, without a display: messages, exit status and the files it leaves.
#include "ProgramFixture.h"

#include "ParamName.h"
#include <filesystem>

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

const std::string kItem = "Editor\ttype.app\tC:\\e.exe\t-\t\t12345normal\t1";
const std::string kConverted =
    "[RKDockItem]\r\ntype = shortcut\r\nname = Editor\r\nlink = C:\\e.exe\r\nshow = normal\r\n\r\n"
    "[RKDockItem]\r\ntype = separator\r\nshow = normal\r\n\r\n";
const std::string kCommandLineError = "Error in command line arguments. Full program will run.\n";
const std::string kNoDisplay = "no graphical display is available";
const std::string kFallback = "No directory selected. Saving in application directory.\n";
const std::string kFailed = "The conversion failed; nothing was written.\n\nInput file: ";

class ProgramTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        WriteFile(m_input, kItem + "\r\nsep\r\n");
    }
    ProgramResult Convert(const std::string& input, const std::string& out, const std::string& tail = "") {
        return Run({"-in", input, "-out", out, "-type", "yzrk" + tail});
    }
};

TEST_F(ProgramTest, WithoutArgumentsTheWindowIsDueButThereIsNoDisplay) {
    const ProgramResult result = Run({});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find(kNoDisplay), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("Error"), std::string::npos);
}

TEST_F(ProgramTest, AMalformedCommandLineOrAnUnknownTypeIsReportedAndConvertsNothing) {
    for (const std::string& text : std::vector<std::string>{
             "hello", "-in " + m_input + " -out " + m_out, "-IN " + m_input + " -out " + m_out + " -type yzrk",
             "-s -in " + m_input + " -out " + m_out + " -type yzrk",
             "-in " + m_input + " -out " + m_out + " -type YZRK", "-in " + m_input + " -out " + m_out + " -type abc -s",
             "-in " + m_input + " -out " + m_out + " -type"}) {
        const ProgramResult result = Run({text});
        EXPECT_EQ(result.status, 2) << text;
        EXPECT_EQ(result.out, "") << text;
        EXPECT_TRUE(result.err.starts_with(kCommandLineError)) << text << "\n" << result.err;
        EXPECT_NE(result.err.find(kNoDisplay), std::string::npos) << text;
    }
    EXPECT_EQ(ListDirectory(m_out), "");
    EXPECT_EQ(ListDirectory(m_app), "tarvenne");
}

TEST_F(ProgramTest, AConversionIsConfirmedUnlessSilent) {
    WriteFile(m_out + "itemlist.conf", std::string(1000, 'o'));
    using Case = std::pair<std::string, std::string>;
    for (const auto& [tail, out] : {Case{"", "New file written to " + m_out + "\n"}, Case{" -s", ""}}) {
        std::filesystem::remove(m_out + "itemlist.conf");
        const ProgramResult result = Convert(m_input, m_out, tail);
        EXPECT_EQ(result.status, 0) << tail;
        EXPECT_EQ(result.out, out);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kConverted);
        EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
    }
}

TEST_F(ProgramTest, ValuesAreCutOutOfOneArgumentText) {
    // One argument or many: the text is the same, and the spaces around the values go.
    // Without a trailing separator the directory runs straight into the file name.
    const ProgramResult result = Run({"  -in   " + m_input + "  -out " + m_dir / "out", "-type  yzrk  "});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "New file written to " + m_dir / "out" + "\n");
    EXPECT_EQ(ReadFile(m_dir / "outitemlist.conf"), kConverted);
}

TEST_F(ProgramTest, AnEmptyDirectoryMeansTheWorkingDirectory) {
    const ProgramResult result = Run({"-in " + m_input + " -out-type yzrk"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "New file written to \n");
    EXPECT_EQ(ReadFile(m_dir / "itemlist.conf"), kConverted);
}

TEST_F(ProgramTest, AnEmptyInputGivesAnEmptyFile) {
    WriteFile(m_input, "");
    const ProgramResult result = Convert(m_input, m_out, " -s");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), "");
}

TEST_F(ProgramTest, WhenTheDirectoryCannotBeWrittenTheFileGoesToTheApplicationDirectory) {
    WriteFile(m_out + "itemlist.conf", "old");
    using Case = std::pair<std::string, std::string>;
    for (const auto& [tail, confirmation] : {Case{"", "New file written to " + m_app + "/\n"}, Case{" -s", ""}}) {
        // A missing directory, and a "directory" that is the existing file itself.
        for (const std::string& out : {m_dir / "missing/", m_out + "itemlist.conf/"}) {
            std::filesystem::remove(m_app + "/itemlist.conf");
            const ProgramResult result = Convert(m_input, out, tail);
            EXPECT_EQ(result.status, 3) << tail << out;
            EXPECT_EQ(result.out, kFallback + confirmation);
            EXPECT_EQ(result.err, "");
            EXPECT_EQ(ReadFile(m_app + "/itemlist.conf"), kConverted);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir / "missing"));
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), "old");
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
}

struct Unexpected {
    const char* name;
    std::string content;
    std::string converted;
};

class ProgramInputs : public ProgramTest, public testing::WithParamInterface<Unexpected> {};

TEST_P(ProgramInputs, ConvertLikeAnyOther) {
    WriteFile(m_input, GetParam().content);
    const ProgramResult result = Convert(m_input, m_out, " -s");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), GetParam().converted);
}

const std::string kSep = "[RKDockItem]\r\ntype = separator\r\nshow = normal\r\n\r\n";
const std::string kLongName(1'000'000, 'n');
const std::string kFirstBlock = kConverted.substr(0, kConverted.size() - kSep.size());

INSTANTIATE_TEST_SUITE_P(
    Files, ProgramInputs,
    testing::Values(Unexpected{"LfOnlyWithoutFinalBreak", kItem + "\nsep\n\nsep", kConverted + "\r\n" + kSep},
                    Unexpected{"MixedBreaks", kItem + "\rsep\r\n\n", kConverted + "\r\n"},
                    Unexpected{"HighBytesAndNul", "\x80\xff\tx\ta\t-\t\t12345\xe9\0\t1"s,
                               "[RKDockItem]\r\nname = \x80\xff\r\nshow = \xe9\0\r\n\r\n"s},
                    Unexpected{"VeryLongLine", kLongName + "\tx\ta\t-\t\t12345\t1",
                               "[RKDockItem]\r\nname = " + kLongName + "\r\nshow = \r\n\r\n"},
                    Unexpected{"TenThousandFields", kItem + std::string(10'000, '\t'), kFirstBlock}),
    ParamName<Unexpected>);

struct Failure {
    const char* name;
    std::string content; // written to the input file unless empty
    std::string reason;
};

class ProgramFailures : public ProgramTest, public testing::WithParamInterface<Failure> {};

TEST_P(ProgramFailures, AreReportedWithoutConfirmationAndWriteNothing) {
    std::string input = m_input;
    if (GetParam().content == "<missing>") {
        input = m_dir / "missing.ini";
    } else if (GetParam().content == "<directory>") {
        input = m_out;
    } else {
        WriteFile(m_input, GetParam().content);
    }
    WriteFile(m_out + "itemlist.conf", "old");
    for (const std::string tail : {"", " -s"}) {
        const ProgramResult result = Convert(input, m_out, tail);
        EXPECT_EQ(result.status, 1) << tail;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.substr(0, kFailed.size() + input.size() + 1), kFailed + input + "\n");
        EXPECT_NE(result.err.find(GetParam().reason), std::string::npos) << result.err;
        EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), "old");
        EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
        EXPECT_EQ(ListDirectory(m_app), "tarvenne");
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, ProgramFailures,
                         testing::Values(Failure{"MissingInput", "<missing>", "The input file could not be read"},
                                         Failure{"DirectoryAsInput", "<directory>", "not a regular file"},
                                         Failure{"MissingField", "sep\r\n" + kItem + "\r\nword\t\r\n" + kItem,
                                                 "Line 3 is missing a field."},
                                         Failure{"ShortShowField", "A\tx\ta\t-\t\tshow\t1\n",
                                                 "Line 1 has a show field shorter than five characters."}),
                         ParamName<Failure>);

TEST_F(ProgramTest, WhenTheApplicationDirectoryFailsTooTheRunFails) {
    std::filesystem::create_directories(m_app + "/itemlist.conf/taken");
    const ProgramResult result = Convert(m_input, m_dir / "missing/");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, kFallback);
    EXPECT_TRUE(result.err.starts_with(kFailed + m_input + "\n")) << result.err;
    EXPECT_NE(result.err.find("The output file could not be written"), std::string::npos) << result.err;
    EXPECT_EQ(ListDirectory(m_app), "itemlist.conf tarvenne");
}

TEST_F(ProgramTest, TheExampleItemListConvertsToItsExpectedOutput) {
    const ProgramResult result =
        Run({"-in", TARVENNE_SOURCE_DIR "/examples/itemlist.ini", "-out", m_out, "-type", "yzrk", "-s"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), ReadFile(TARVENNE_SOURCE_DIR "/examples/itemlist.conf"));
}

} // namespace
