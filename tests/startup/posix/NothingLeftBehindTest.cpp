// The real executable ended by a signal while it writes its output, and the order in which it makes the output
// durable: an existing itemlist.conf stays as it was, no temporary file is left, and the file is on the disk before
// it is confirmed.
#include "PosixProgram.h"
#include "ProgramFixture.h"
#include "WorkedExample.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>

namespace {

class NothingLeftBehind : public ProgramFixture, public testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        // Long enough that the write lasts while the test looks for it.
        std::ofstream list(m_input, std::ios::binary);
        for (int i = 0; i < 1'000'000; ++i) {
            list << "App " << i << "\ttype.app\tC:\\a.exe\t-\tC:\\Apps\tshow.normal\t00000000\ta.ico\r\n";
        }
        list.close();
        WriteFile(m_out + "itemlist.conf", kPrecious);
    }

    // The new file as the program holds it open while it writes it: without a name, in the output directory.
    bool WritesItsOutput(pid_t child) const {
        for (const std::string& file : OpenFilesOf(child)) {
            if (file.starts_with(m_out) && file.ends_with(" (deleted)")) {
                return true;
            }
        }
        return false;
    }
};

TEST_P(NothingLeftBehind, WhenASignalEndsTheWrite) {
    const pid_t child = StartProgram(m_exe, {"-in", m_input, "-out", m_out, "-type", "yzrk", "-s"}, m_dir.Path(), {});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!WritesItsOutput(child) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ASSERT_TRUE(WritesItsOutput(child)) << "the program never began to write its output";
    ::kill(child, GetParam());
    const int status = WaitForProgram(child);

    ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
    EXPECT_EQ(WTERMSIG(status), GetParam());
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
}

INSTANTIATE_TEST_SUITE_P(Signals, NothingLeftBehind, testing::Values(SIGINT, SIGTERM, SIGHUP, SIGKILL),
                         [](const testing::TestParamInfo<int>& param) {
                             return std::string(sigabbrev_np(param.param));
                         });

// The file's data is on the disk before it gets the target's name, and its name before the confirmation: the
// program's own calls, in order, as strace sees them.
class Durable : public ProgramFixture {};

TEST_F(Durable, BeforeItIsConfirmed) {
    WriteFile(m_input, "sep\r\n");
    const std::string log = m_dir / "calls.log";
    // The leak checker of a sanitized build refuses to run under a tracer.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const ProgramResult result =
        RunProgram("strace",
                   {"-qq", "-o", log, "-e", "trace=fsync,linkat,rename,renameat,renameat2,write", m_exe, "-in", m_input,
                    "-out", m_out, "-type", "yzrk"},
                   {}, {"ASAN_OPTIONS=" + std::string(asan != nullptr ? asan : "") + ":detect_leaks=0"});
    ASSERT_EQ(result.status, 0) << result.err;
    std::ifstream calls(log);
    std::string sequence;
    for (std::string line; std::getline(calls, line);) {
        std::string call = line.substr(0, line.find('('));
        if (call == "write") {
            call = line.starts_with("write(1, \"New file written to") ? "confirm" : "";
        }
        if (call.starts_with("rename")) {
            call = "rename";
        }
        if (!call.empty()) {
            sequence += sequence.empty() ? call : " " + call;
        }
    }
    EXPECT_EQ(sequence, "fsync linkat rename fsync confirm");
}

} // namespace
