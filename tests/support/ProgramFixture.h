// A scratch place for tests of the real executable: a copy of it in an application directory of its own, an output
// directory, and the path of an input file (with a space in its name, as paths often have).
#pragma once

#include "Process.h"
#include "RunProgram.h"
#include "TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

// The executable's file name, as a directory listing shows it, and whether its messages are printed on the console
// (Linux without a display) rather than shown in boxes (Windows), so that details may follow them.
#if defined(_WIN32)
inline const std::string kTarvenneFileName = "tarvenne.exe";
inline constexpr bool kConsoleMessages = false;
#else
inline const std::string kTarvenneFileName = "tarvenne";
inline constexpr bool kConsoleMessages = true;
#endif

// The status a test expects where the main window was due (no arguments, or a command line that cannot be carried
// out): ExpectTheWindowWasDue says what that means on each system.
inline constexpr int kWindowDue = -2;

// Where the main window was due: without a display on Linux the program says it cannot open it and ends with 2; on
// Windows the window opens, and ends when closed with 0, or with 2 after a command line it could not carry out.
inline void ExpectTheWindowWasDue(const ProgramResult& result, bool afterACommandLine = false) {
#if defined(_WIN32)
    EXPECT_TRUE(result.mainWindowShown);
    EXPECT_EQ(result.status, afterACommandLine ? 2 : 0);
#else
    static_cast<void>(afterACommandLine);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("Tarvenne: no graphical display"), std::string::npos) << result.err;
#endif
}

class ProgramFixture : public testing::Test {
protected:
    TempDir m_dir;
    std::string m_app = m_dir / "app";
    // Output directories end with the separator, as the command line wants them.
    std::string m_out = m_dir / "out" + kNativeSeparator;
    std::string m_input = m_dir / "in put.ini";
    std::string m_exe;

    void SetUp() override {
        std::filesystem::create_directory(PathOf(m_app));
        std::filesystem::create_directory(PathOf(m_out));
        m_exe = CopyOfTarvenne(m_app);
    }

    // The file name inside the application directory.
    std::string InApp(const std::string& name) const { return m_app + kNativeSeparator + name; }

    // Runs the copy without a display, in the scratch directory.
    ProgramResult Run(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {}) {
        return RunProgram(m_exe, arguments, m_dir.Path(), environment);
    }
};
