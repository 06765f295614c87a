// The real executable from the command line, without a display: messages, exit status and the files it leaves.
#include "ProgramFixture.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace {

const std::string kItem = "Editor\ttype.app\tC:\\e.exe\t-\t\t12345normal\t1";
const std::string kConverted =
    "[RKDockItem]\r\ntype = shortcut\r\nname = Editor\r\nlink = C:\\e.exe\r\nshow = normal\r\n\r\n"
    "[RKDockItem]\r\ntype = separator\r\nshow = normal\r\n\r\n";
const std::string kFallback = "No directory selected. Saving in application directory.\n";

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

TEST_F(ProgramTest, WithoutArgumentsTheWindowIsDueAndNothingElseIsSaid) {
    const ProgramResult result = Run({});
    ExpectTheWindowWasDue(result);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.find("Error"), std::string::npos);
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
    for (const auto& [tail, confirmation] :
         {Case{"", "New file written to " + m_app + kNativeSeparator + "\n"}, Case{" -s", ""}}) {
        // A missing directory, and a "directory" that is the existing file itself.
        for (const std::string& out :
             {m_dir / "missing" + kNativeSeparator, m_out + "itemlist.conf" + kNativeSeparator}) {
            std::filesystem::remove(InApp("itemlist.conf"));
            const ProgramResult result = Convert(m_input, out, tail);
            EXPECT_EQ(result.status, 3) << tail << out;
            EXPECT_EQ(result.out, kFallback + confirmation);
            // On the console, why the first place failed follows on stderr: its path, and the system's reason.
            const std::string detail =
                "Tarvenne: the output file could not be written there: " + out + "itemlist.conf: ";
            EXPECT_EQ(result.err.starts_with(detail), kConsoleMessages) << result.err;
            EXPECT_EQ(result.err.empty(), !kConsoleMessages) << result.err;
            EXPECT_EQ(ReadFile(InApp("itemlist.conf")), kConverted);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(PathOf(m_dir / "missing")));
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), "old");
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
}

TEST_F(ProgramTest, TheExampleItemListConvertsToItsExpectedOutput) {
    // A copy, since the source tree's own path may hold a "-".
    std::filesystem::copy_file(PathOf(TARVENNE_SOURCE_DIR "/examples/itemlist.ini"), PathOf(m_input),
                               std::filesystem::copy_options::overwrite_existing);
    const ProgramResult result = Run({"-in", m_input, "-out", m_out, "-type", "yzrk", "-s"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), ReadFile(TARVENNE_SOURCE_DIR "/examples/itemlist.conf"));
}

} // namespace
