// The real executable ended by a signal while it writes its output, and the order in which it makes the output
// durable: an existing itemlist.conf stays as it was, and no temporary file is left, named or not.
#include "PosixProgram.h"
#include "ProgramFixture.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/wait.h>
#include <thread>

namespace {

const std::string kOld = "[RKDockItem]\r\nname = kept from before\r\n\r\n";

struct Case {
    const char* name;
    int signal;
    bool named; // the file system is made to lack unnamed files, so that the named temporary file is used
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class NothingLeftBehind : public ProgramFixture, public testing::WithParamInterface<Case> {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        std::string list;
        for (int i = 0; i < 200000; ++i) {
            list += "App " + std::to_string(i) + "\ttype.app\tC:\\a.exe\t-\tC:\\Apps\tshow.normal\t00000000\ta.ico\r\n";
        }
        WriteFile(m_input, list);
        WriteFile(m_out + "itemlist.conf", kOld);
    }

    std::vector<std::string> Seam(std::vector<std::string> settings) const {
        if (GetParam().named) {
            settings.push_back("TARVENNE_TEST_NO_TMPFILE=1");
        }
        return WithSeam(settings);
    }

    // The temporary file as the program holds it open: unnamed, or under its temporary name in the output directory.
    bool WritesItsOutput(pid_t child) const {
        for (const std::string& file : OpenFilesOf(child)) {
            if (file.starts_with(m_out) &&
                (GetParam().named ? file.starts_with(m_out + ".tarvenne-") : file.ends_with(" (deleted)"))) {
                return true;
            }
        }
        return false;
    }
};

TEST_P(NothingLeftBehind, WhenASignalEndsTheWrite) {
    // Syncing the file waits, so that the write phase lasts until the signal comes.
    const pid_t child = StartProgram(m_exe, {"-in", m_input, "-out", m_out, "-type", "yzrk", "-s"}, m_dir.Path(),
                                     Seam({"TARVENNE_TEST_HOLD_SYNC=1"}));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!WritesItsOutput(child) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(WritesItsOutput(child)) << "the program never began to write its output";
    ::kill(child, GetParam().signal);
    const int status = WaitForProgram(child);

    ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
    EXPECT_EQ(WTERMSIG(status), GetParam().signal);
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kOld);
}

// The file's data is on the disk before it gets the target's name, and the name before the confirmation.
class DurableBeforeConfirmed : public NothingLeftBehind {};

TEST_P(DurableBeforeConfirmed, SyncsTheFileThenTheDirectory) {
    const std::string log = m_dir / "syncs.log";
    const ProgramResult result =
        Run({"-in", m_input, "-out", m_out, "-type", "yzrk"}, Seam({"TARVENNE_TEST_SYNC_LOG=" + log}));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "New file written to " + m_out + "\n");
    EXPECT_EQ(ReadFile(log), "sync file\nrename\nsync directory\n");
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
}

INSTANTIATE_TEST_SUITE_P(Signals, NothingLeftBehind,
                         testing::Values(Case{"Interrupt", SIGINT, false}, Case{"Terminate", SIGTERM, false},
                                         Case{"HangUp", SIGHUP, false}, Case{"InterruptNamed", SIGINT, true},
                                         Case{"TerminateNamed", SIGTERM, true}, Case{"HangUpNamed", SIGHUP, true}),
                         [](const testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });
INSTANTIATE_TEST_SUITE_P(Files, DurableBeforeConfirmed,
                         testing::Values(Case{"Unnamed", 0, false}, Case{"Named", 0, true}),
                         [](const testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

} // namespace
