// The real executable from the command line, without a display: what only the process shows, its argument text
// joined from its arguments, its messages on stdout and stderr (boxes on Windows), its exit status, and the files
// on the disk. Each argument text, input and failing place of its own is in frmStartTest.
#include "ProgramFixture.h"
#include "WorkedExample.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace {

const std::string kFailed = "The conversion failed; nothing was written.\n\nInput file: ";

class ProgramTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        WriteFile(m_input, kItem + "\r\nsep\r\n");
        WriteFile(m_out + "itemlist.conf", kPrecious);
    }
    ProgramResult Convert(const std::string& input, const std::string& out, const std::string& tail = "") {
        return Run({"-in", input, "-out", out, "-type", "yzrk" + tail});
    }
};

TEST_F(ProgramTest, WithoutArgumentsOrAfterABadCommandLineTheWindowIsDue) {
    const ProgramResult plain = Run({});
    ExpectTheWindowWasDue(plain);
    EXPECT_EQ(plain.out, "");
    EXPECT_EQ(plain.err.find("Error"), std::string::npos);
    const ProgramResult bad = Run({"-in", m_input, "-out", m_out});
    ExpectTheWindowWasDue(bad, true);
    EXPECT_TRUE(bad.err.starts_with("Error in command line arguments. Full program will run.\n")) << bad.err;
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
}

// The example item list, over a longer file from before: byte for byte the expected list, and nothing else left.
TEST_F(ProgramTest, TheExampleConvertsAndIsConfirmedUnlessSilent) {
    // A copy, since the source tree's own path may hold a "-".
    std::filesystem::copy_file(PathOf(TARVENNE_SOURCE_DIR "/examples/itemlist.ini"), PathOf(m_input),
                               std::filesystem::copy_options::overwrite_existing);
    using Case = std::pair<std::string, std::string>;
    for (const auto& [tail, out] : {Case{"", "New file written to " + m_out + "itemlist.conf\n"}, Case{" -s", ""}}) {
        WriteFile(m_out + "itemlist.conf", std::string(100'000, 'o'));
        const ProgramResult result = Convert(m_input, m_out, tail);
        EXPECT_EQ(result.status, 0) << tail;
        EXPECT_EQ(result.out, out);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), ReadFile(TARVENNE_SOURCE_DIR "/examples/itemlist.conf"));
        EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
    }
}

TEST_F(ProgramTest, ValuesAreCutOutOfOneArgumentText) {
    const std::string converted = kItemBlock + kSepBlock;
    // One argument or many: the text is the same, and the spaces around the values go. An existing folder named
    // without a trailing separator takes the file; any other value runs straight into the file name.
    const ProgramResult result = Run({"  -in   " + m_input + "  -out " + m_dir / "out", "-type  yzrk  "});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "New file written to " + m_out + "itemlist.conf\n");
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), converted);
    EXPECT_EQ(Run({"-in " + m_input + " -out " + m_dir / "o -type yzrk -s"}).status, 0);
    EXPECT_EQ(ReadFile(m_dir / "oitemlist.conf"), converted);
    // An empty directory is the working directory.
    const ProgramResult here = Run({"-in " + m_input + " -out-type yzrk"});
    EXPECT_EQ(here.status, 0) << here.err;
    EXPECT_EQ(here.out, "New file written to " + m_dir / "itemlist.conf" + "\n");
    EXPECT_EQ(ReadFile(m_dir / "itemlist.conf"), converted);

    // Long texts, as long as the system lets a command line be: after the type, and as the input path.
#if defined(_WIN32)
    const std::vector<std::string> junk(30, std::string(1000, 'j'));
#else
    const std::vector<std::string> junk(10, std::string(100'000, 'j'));
#endif
    std::vector<std::string> after{"-in", m_input, "-out", m_out, "-type", "yzrk", "-x"};
    after.insert(after.end(), junk.begin(), junk.end());
    after.push_back("-s");
    std::filesystem::remove(PathOf(m_out + "itemlist.conf"));
    EXPECT_EQ(Run(after).status, 0);
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), converted);
    std::vector<std::string> longInput{"-in"};
    longInput.insert(longInput.end(), junk.begin(), junk.end());
    longInput.insert(longInput.end(), {"-out", m_out, "-type", "yzrk"});
    const ProgramResult failed = Run(longInput);
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(failed.err.starts_with(kFailed + junk[0] + " " + junk[1])) << failed.err.substr(0, 200);
}

// A bad line, and an input that is not there: the failure and why on stderr (a box on Windows), with or without
// -s, and the file from before as it was.
TEST_F(ProgramTest, AFailedConversionSaysWhyAndChangesNothing) {
    WriteFile(m_input, kItem + "\r\nbroken\tline\r\n");
    using Case = std::tuple<std::string, std::string, std::string>;
    for (const auto& [input, tail, reason] :
         {Case{m_input, "", "\nLine 2 is missing a field.\n"},
          Case{m_dir / "missing.ini", " -s", "\nThe input file could not be read (" + m_dir / "missing.ini: "}}) {
        const ProgramResult result = Convert(input, m_out, tail);
        EXPECT_EQ(result.status, 1) << input;
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(result.err.starts_with(kFailed + input + reason)) << result.err;
        EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
        EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
    }
}

TEST_F(ProgramTest, WhenTheDirectoryCannotBeWrittenTheFileGoesToTheApplicationDirectory) {
    // A folder whose itemlist.conf is a folder with something in it, which stays as it was.
    std::filesystem::create_directories(PathOf(m_dir / "taken") / "itemlist.conf" / "inside");
    const std::string fallback = "No directory selected. Saving in application directory.\n";
    using Case = std::pair<std::string, std::string>;
    for (const auto& [tail, confirmation] :
         {Case{"", "New file written to " + InApp("itemlist.conf") + "\n"}, Case{" -s", ""}}) {
        // A missing directory, one that is the existing file itself, and one whose itemlist.conf is a folder.
        for (const std::string& out : {m_dir / "missing" + kNativeSeparator, m_out + "itemlist.conf" + kNativeSeparator,
                                       m_dir / "taken" + kNativeSeparator}) {
            std::filesystem::remove(InApp("itemlist.conf"));
            const ProgramResult result = Convert(m_input, out, tail);
            EXPECT_EQ(result.status, 3) << tail << out;
            // Why the first place failed (its path and the system's reason) and where the file goes now: in the box
            // after the message, and on the console on stderr.
            const std::string why = "The output file could not be written there: " + out + "itemlist.conf: ";
            const std::string where = "Saving it as " + InApp("itemlist.conf") + ".\n";
            if (kConsoleMessages) {
                EXPECT_EQ(result.out, fallback + confirmation);
                EXPECT_TRUE(result.err.starts_with("Tarvenne: " + why)) << result.err;
                EXPECT_TRUE(result.err.ends_with("Tarvenne: " + where)) << result.err;
            } else {
                EXPECT_TRUE(result.out.starts_with(fallback + "\n" + why)) << result.out;
                EXPECT_TRUE(result.out.ends_with(where + confirmation)) << result.out;
                EXPECT_EQ(result.err, "");
            }
            EXPECT_EQ(ReadFile(InApp("itemlist.conf")), kItemBlock + kSepBlock);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(PathOf(m_dir / "missing")));
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
    EXPECT_EQ(ListDirectory(m_dir / "taken" + kNativeSeparator + "itemlist.conf"), "inside");
}

} // namespace
