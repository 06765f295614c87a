// The real executable ended from outside while it writes its output, as End task or a crash ends it: the old
// itemlist.conf stays as it was, and the system deletes the new file beside it.
#include "ProgramFixture.h"
#include "WindowDriver.h"

#include <chrono>
#include <cstdint>
#include <gtest/gtest.h>
#include <thread>
#include <windows.h>

namespace {

using namespace std::chrono_literals;

const std::string kOld = "[RKDockItem]\r\nname = kept from before\r\n\r\n";

// How many bytes the output's new file in directory holds so far: 0 while there is none.
std::uint64_t NewFileSize(const std::string& directory) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((PathOf(directory) / L".tarvenne-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    ::FindClose(search);
    return (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
}

class NothingLeftBehind : public ProgramFixture {};

TEST_F(NothingLeftBehind, WhenTheProgramIsKilledWhileItWrites) {
    // Three million separators: some 150 MB of output, long enough to be caught in the middle.
    std::string list;
    for (int i = 0; i < 3'000'000; ++i) {
        list += "s\r\n";
    }
    WriteFile(m_input, list);
    WriteFile(m_out + "itemlist.conf", kOld);

    {
        // Killed as it goes.
        win32test::ChildProcess child(m_exe, {"-in", m_input, "-out", m_out, "-type", "yzrk", "-s"}, m_dir.Path());
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (NewFileSize(m_out) == 0 && !child.Wait(0ms) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(1ms);
        }
        ASSERT_GT(NewFileSize(m_out), 0U) << "the program was never caught writing its output";
    }

    // The system deleted the file as it closed the ended program's handles.
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kOld);
}

} // namespace
