// What only POSIX has, through the start-up form on the system's own files: special files as input, an output that
// is a symbolic link; and, with the real executable, a program placed in the root folder.
#include "Fakes.h"
#include "ParamName.h"
#include "ProgramFixture.h"
#include "WorkedExample.h"
#include "frmStart.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct NoWindow : MainWindowLauncher {
    bool ShowMainWindow(const std::string& /*inputPath*/) override { return false; }
};

class OnDisk : public testing::Test {
protected:
    TempDir m_dir;
    std::string m_out = m_dir / "out/";
    FakeMessageBox m_box;

    void SetUp() override {
        std::filesystem::create_directory(m_out);
        WriteFile(m_out + "itemlist.conf", kPrecious);
    }
    int Convert(const std::string& input) {
        NoWindow launcher;
        return frmStart("-in " + input + " -out " + m_out + " -type yzrk -s", m_box, launcher, m_dir / "app")
            .Form_Load()
            .value_or(-1);
    }
};

// Inputs that are not files to read are turned down, and nothing waits on them.
struct SpecialInput {
    const char* name;
    std::string reason;
};

class SpecialInputs : public OnDisk, public testing::WithParamInterface<SpecialInput> {};

TEST_P(SpecialInputs, AreTurnedDown) {
    const std::string kind = GetParam().name;
    std::string input = m_dir / "special";
    if (kind == "EmptyPath") {
        input.clear();
    } else if (kind == "Directory") {
        std::filesystem::create_directory(input);
    } else if (kind == "Fifo") {
        ASSERT_EQ(::mkfifo(input.c_str(), 0600), 0);
    } else if (kind == "Device") {
        input = "/dev/zero";
    }
    EXPECT_EQ(Convert(input), 1);
    ASSERT_EQ(m_box.shown.size(), 1U);
    EXPECT_NE(m_box.shown[0].prompt.find(GetParam().reason), std::string::npos) << m_box.shown[0].prompt;
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
}

INSTANTIATE_TEST_SUITE_P(Kinds, SpecialInputs,
                         testing::Values(SpecialInput{"Missing", "No such file or directory"},
                                         SpecialInput{"EmptyPath", "No input file was given."},
                                         SpecialInput{"Directory", "not a regular file"},
                                         SpecialInput{"Fifo", "not a regular file"},
                                         SpecialInput{"Device", "not a regular file"}),
                         ParamName<SpecialInput>);

TEST_F(OnDisk, AnOutputThatIsALinkReplacesTheFileItPointsTo) {
    WriteFile(m_dir / "in.ini", kItem);
    std::filesystem::create_directory(m_dir / "real");
    WriteFile(m_dir / "real/list.conf", kPrecious);
    std::filesystem::remove(m_out + "itemlist.conf");
    std::filesystem::create_symlink("../real/list.conf", m_out + "itemlist.conf");
    EXPECT_EQ(Convert(m_dir / "in.ini"), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(m_out + "itemlist.conf"));
    EXPECT_EQ(ReadFile(m_dir / "real/list.conf"), kItemBlock);
    EXPECT_EQ(ListDirectory(m_dir / "real"), "list.conf");
}

// A program placed in the root folder falls back to /itemlist.conf: the root without its trailing separator is
// the empty string, so the separator is not doubled.
TEST_F(ProgramFixture, TheRootFolderAsApplicationDirectory) {
    if (::geteuid() != 0 || std::filesystem::exists("/itemlist.conf")) {
        GTEST_SKIP() << "needs root, and no /itemlist.conf of someone else's";
    }
    WriteFile(m_input, kItem);
    const std::string program = "/tarvenne_root_test_" + std::to_string(::getpid());
    std::filesystem::copy_file(m_exe, program);
    const ProgramResult result = RunProgram(program, {"-in", m_input, "-out", m_dir / "missing/", "-type", "yzrk"});
    const std::optional<std::string> written = ReadFile("/itemlist.conf");
    std::filesystem::remove(program);
    std::filesystem::remove("/itemlist.conf");
    EXPECT_EQ(result.status, 3) << result.err;
    EXPECT_EQ(result.out,
              "No directory selected. Saving in application directory.\nNew file written to /itemlist.conf\n");
    EXPECT_EQ(written, kItemBlock);
}

} // namespace
