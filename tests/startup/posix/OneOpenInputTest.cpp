// The real executable with an item list saved again while it is converted, and with its standard streams closed:
// what it writes is one whole list, and nothing it prints can land in a file of its own.
#include "PosixProgram.h"
#include "ProgramFixture.h"
#include "WorkedExample.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const std::string kOldItem = "Old\ttype.app\tC:\\o.exe\t-\t\t12345normal\t1\n";
const std::string kOldBlock =
    "[RKDockItem]\r\ntype = shortcut\r\nname = Old\r\nlink = C:\\o.exe\r\nshow = normal\r\n\r\n";
const std::string kNewItem = "New\ttype.docklet\tC:\\n.dll\t-\t\t12345normal\t1\n";
// Long enough a list that the run is still reading it when the test acts.
constexpr std::size_t kLines = 1'000'000;

class OneOpenInput : public ProgramFixture {
protected:
    // Waits until the program has the item list open.
    void WhenReading(pid_t child) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            const std::vector<std::string> files = OpenFilesOf(child);
            if (std::find(files.begin(), files.end(), m_input) != files.end()) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ADD_FAILURE() << "the program never had the item list open";
    }
};

// Editors, and the dock itself, save a list by writing a new file and renaming it over the old one.
TEST_F(OneOpenInput, AListSavedByRenameMeanwhileIsNotMixedIn) {
    WriteFile(m_input, Repeat(kOldItem, kLines));
    WriteFile(m_dir / "saved.ini", Repeat(kNewItem, kLines * 2));
    const pid_t child = StartProgram(m_exe, {"-in", m_input, "-out", m_out, "-type", "yzrk", "-s"}, m_dir.Path(), {});
    WhenReading(child);
    std::filesystem::rename(m_dir / "saved.ini", m_input);
    const int status = WaitForProgram(child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(ReadFile(m_out + "itemlist.conf") == Repeat(kOldBlock, kLines));
}

// A program started with its standard streams closed finds them open on /dev/null, so that no file it opens takes
// their numbers and a message meant for the console never lands in the list.
TEST_F(OneOpenInput, ClosedStandardStreamsAreNeverTakenByAFile) {
    WriteFile(m_input, Repeat(kOldItem, kLines));
    const pid_t child = StartProgram(m_exe, {"-in", m_input, "-out", m_dir / "missing/", "-type", "yzrk"}, m_dir.Path(),
                                     {}, {}, {}, true);
    WhenReading(child);
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        std::error_code error;
        const std::string path = "/proc/" + std::to_string(child) + "/fd/" + std::to_string(fd);
        EXPECT_EQ(std::filesystem::read_symlink(path, error).string(), "/dev/null") << fd;
    }
    const int status = WaitForProgram(child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_TRUE(ReadFile(InApp("itemlist.conf")) == Repeat(kOldBlock, kLines));
}

} // namespace
