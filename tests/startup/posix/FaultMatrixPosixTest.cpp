// The fault matrix on POSIX: special files as input, directories that refuse new files, symbolic links, and
// command lines longer than Windows allows.
#include "FaultMatrix.h"
#include "ParamName.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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
                                         SpecialInput{"EmptyPath", "empty path", "No input file was given."},
                                         SpecialInput{"Directory", "directory", "not a regular file"},
                                         SpecialInput{"Fifo", "fifo", "not a regular file"},
                                         SpecialInput{"Device", "device", "not a regular file"}),
                         ParamName<SpecialInput>);

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

TEST_F(FaultMatrix, MegabyteCommandLines) {
    const std::string junk = Repeat(Repeat("j", 100'000) + " ", 10);
    EXPECT_EQ(RunText("-in " + m_input + " -out " + m_out + " -type yzrk -x " + junk + "-s").status, 0);
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kItemBlock);
    const ProgramResult result = RunText("-in " + junk + "-out " + m_out + " -type yzrk");
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.err.starts_with(kFailed)) << result.err.substr(0, 200);
}

// A program placed in the root folder falls back to /itemlist.conf: the root without its trailing separator is
// the empty string, so the separator is not doubled.
TEST_F(FaultMatrix, TheRootFolderAsApplicationDirectory) {
    if (::geteuid() != 0 || std::filesystem::exists("/itemlist.conf")) {
        GTEST_SKIP() << "needs root, and no /itemlist.conf of someone else's";
    }
    const std::string program = "/tarvenne_root_test_" + std::to_string(::getpid());
    std::filesystem::copy_file(m_exe, program);
    const ProgramResult result = RunProgram(program, {"-in", m_input, "-out", m_dir / "missing/", "-type", "yzrk"});
    const std::optional<std::string> written = ReadFile("/itemlist.conf");
    std::filesystem::remove(program);
    std::filesystem::remove("/itemlist.conf");
    EXPECT_EQ(result.status, 3) << result.err;
    EXPECT_EQ(result.out, kFallback + "New file written to /\n");
    EXPECT_EQ(written, kItemBlock);
}

} // namespace
