// The real executable and the display: Qt is loaded only when something is shown, and a display that is named but
// gone, silent or that Qt cannot open gives the console behaviour after one line that names it, within 5 s, and never
// an abort.
#include "FakeDisplay.h"
#include "PosixProgram.h"
#include "ProgramFixture.h"
#include "WorkedExample.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using Mode = FakeDisplay::Mode;

const std::string kCannotReach = "Tarvenne: the display cannot be reached: ";
const std::string kCannotOpen = "Tarvenne: the display cannot be opened: ";
const std::string kNoDisplay = "Tarvenne: no graphical display is available, so the main window cannot open.\n"
                               "To convert without a window: tarvenne -in FILE -out DIRECTORY/ -type yzrk [-s]\n";

class LeanCommandLine : public ProgramFixture {
protected:
    std::string m_loader = m_dir / "loader";
    std::string m_runtime;

    void SetUp() override {
        ProgramFixture::SetUp();
        AddScreenModule(m_app);
        WriteFile(m_input, kItem + "\r\n");
        std::filesystem::create_directory(m_loader);
        m_runtime = MakeRuntimeDirectory(m_dir.Path());
    }

    // Runs the copy with the environment, the dynamic loader noting each library it loads.
    ProgramResult RunWith(const std::vector<std::string>& arguments, std::vector<std::string> environment) {
        std::filesystem::remove_all(m_loader);
        std::filesystem::create_directory(m_loader);
        environment.insert(environment.end(),
                           {"LD_DEBUG=libs", "LD_DEBUG_OUTPUT=" + m_loader + "/libs", "XDG_RUNTIME_DIR=" + m_runtime});
        return Run(arguments, environment);
    }

    // True when the last run loaded any of Qt's libraries.
    bool LoadedQt() const {
        for (const auto& entry : std::filesystem::directory_iterator(m_loader)) {
            if (ReadFile(entry.path().string()).value_or("").find("libQt6") != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    std::vector<std::string> Window() const { return {}; }
    std::vector<std::string> Confirmed() const { return {"-in", m_input, "-out", m_out, "-type", "yzrk"}; }
    std::vector<std::string> Silent() const { return {"-in", m_input, "-out", m_out, "-type", "yzrk", "-s"}; }
    std::string Confirmation() const { return "New file written to " + m_out + "itemlist.conf\n"; }
};

TEST_F(LeanCommandLine, WithoutADisplayQtIsNeverLoaded) {
    for (const auto& arguments : {Window(), Confirmed(), Silent()}) {
        const ProgramResult result = RunWith(arguments, {});
        EXPECT_EQ(result.status, arguments.empty() ? 2 : 0) << result.err;
        EXPECT_FALSE(LoadedQt()) << arguments.size();
        EXPECT_EQ(result.err.find(kCannotReach), std::string::npos);
    }
}

// A display that is named but has no server behind it, or one that takes the connection and never answers (a stopped
// server): the console, after one line that names it, and within 5 s however long the display keeps silent.
TEST_F(LeanCommandLine, AnUnreachableDisplayGivesTheConsole) {
    const FakeDisplay gone(FakeDisplay::Kind::X, Mode::Gone);
    const FakeDisplay silent(FakeDisplay::Kind::X, Mode::Silent);
    const std::string x = "DISPLAY=" + gone.Name();
    const std::string wayland = "WAYLAND_DISPLAY=tarvenne-gone";
    const std::string stopped = "DISPLAY=" + silent.Name();
    for (const auto& [environment, named] : {std::pair{std::vector{x}, x}, std::pair{std::vector{x, wayland}, x},
                                             std::pair{std::vector{stopped}, stopped}}) {
        const ProgramResult window = RunWith(Window(), environment);
        EXPECT_EQ(window.status, 2) << named;
        EXPECT_TRUE(window.err.starts_with(kCannotReach + named + " (")) << window.err;
        EXPECT_TRUE(window.err.ends_with(")\n" + kNoDisplay)) << window.err;
        EXPECT_EQ(window.out, "");

        const auto start = std::chrono::steady_clock::now();
        const ProgramResult confirmed = RunWith(Confirmed(), environment);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << named;
        EXPECT_EQ(confirmed.status, 0) << named;
        EXPECT_EQ(confirmed.out, Confirmation());
        EXPECT_TRUE(confirmed.err.starts_with(kCannotReach + named + " (")) << confirmed.err;
        EXPECT_EQ(std::count(confirmed.err.begin(), confirmed.err.end(), '\n'), 1) << confirmed.err;

        // Nothing to show: the display is never tried.
        const ProgramResult silentRun = RunWith(Silent(), environment);
        EXPECT_EQ(silentRun.status, 0) << named;
        EXPECT_EQ(silentRun.out + silentRun.err, "");
        EXPECT_FALSE(LoadedQt()) << named;
        EXPECT_TRUE(ReadFile(m_out + "itemlist.conf").has_value());
    }
}

// The display's server answers, but Qt cannot open the display on it: still the console, and no abort.
TEST_F(LeanCommandLine, ADisplayThatQtCannotOpenGivesTheConsole) {
    if (!std::filesystem::exists(m_app + "/tarvenne-qt.so")) {
        GTEST_SKIP() << "built without Qt: there is no window module to load";
    }
    const FakeDisplay refuses(FakeDisplay::Kind::X, Mode::Answers);
    const std::vector<std::string> environment{"DISPLAY=" + refuses.Name()};
    const ProgramResult window = RunWith(Window(), environment);
    EXPECT_EQ(window.status, 2);
    EXPECT_TRUE(window.err.starts_with(kCannotOpen)) << window.err;
    EXPECT_TRUE(window.err.ends_with(kNoDisplay)) << window.err;
    EXPECT_TRUE(LoadedQt());

    const ProgramResult confirmed = RunWith(Confirmed(), environment);
    EXPECT_EQ(confirmed.status, 0);
    EXPECT_EQ(confirmed.out, Confirmation());
    EXPECT_TRUE(confirmed.err.starts_with(kCannotOpen)) << confirmed.err;
    EXPECT_EQ(std::count(confirmed.err.begin(), confirmed.err.end(), '\n'), 1) << confirmed.err;
}

// With a display that answers, a silent conversion that has nothing to show neither loads Qt nor connects to the
// display. (What is shown on a display, and that it is shown there, the on-screen tests see.)
TEST_F(LeanCommandLine, ASilentConversionNeverTouchesTheDisplay) {
    const FakeDisplay display(FakeDisplay::Kind::X, Mode::Answers);
    const ProgramResult silent = RunWith(Silent(), {"DISPLAY=" + display.Name()});
    EXPECT_EQ(silent.status, 0) << silent.err;
    EXPECT_EQ(silent.out + silent.err, "");
    EXPECT_FALSE(LoadedQt());
    EXPECT_EQ(display.Accepted(), 0);
}

} // namespace
