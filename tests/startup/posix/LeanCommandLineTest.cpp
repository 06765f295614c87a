// The real executable and the display: Qt is loaded only when something is shown, and a display that is named but
// gone, silent, that Qt cannot open or that stops answering while Qt connects gives the console behaviour after one
// line that names it, within a bound, and never an abort.
#include "FakeDisplay.h"
#include "PosixProgram.h"
#include "ProgramFixture.h"
#include "WorkedExample.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
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

// A display that answers the check and then goes quiet (a server stopped just then) while Qt connects: once nothing is
// on screen 5 s after the check began, the run goes on as without a display, after one line that names it, and ends
// with its own status.
TEST_F(LeanCommandLine, ADisplayThatStopsAnsweringGivesTheConsole) {
    if (!std::filesystem::exists(m_app + "/tarvenne-qt.so")) {
        GTEST_SKIP() << "built without Qt: there is no window module to load";
    }
    const std::string why = " (stopped answering: nothing on screen within 5 s)\n";
    // The copy that goes on has the threads of the process in the books of a sanitized build's leak checker, not in
    // fact, and the checker says so at its end.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string noLeakCheck = "ASAN_OPTIONS=" + std::string(asan != nullptr ? asan : "") + ":detect_leaks=0";
    const FakeDisplay quiet(FakeDisplay::Kind::X, Mode::AnswersOnce);
    const std::string named = "DISPLAY=" + quiet.Name();
    const auto start = std::chrono::steady_clock::now();
    const ProgramResult confirmed = RunWith(Confirmed(), {named, noLeakCheck});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(confirmed.status, 0);
    EXPECT_EQ(confirmed.out, Confirmation());
    EXPECT_EQ(confirmed.err, kCannotReach + named + why);
    EXPECT_TRUE(ReadFile(m_out + "itemlist.conf").has_value());

    const FakeDisplay quietToo(FakeDisplay::Kind::X, Mode::AnswersOnce);
    const ProgramResult window = RunWith(Window(), {"DISPLAY=" + quietToo.Name(), noLeakCheck});
    EXPECT_EQ(window.status, 2);
    EXPECT_EQ(window.err, kCannotReach + "DISPLAY=" + quietToo.Name() + why + kNoDisplay);
}

// Once a box is on screen, it stays there past that bound for as long as the user leaves it. (Qt draws on its offscreen
// platform, which the user's QT_QPA_PLATFORM picks, behind a display that answers the check.)
TEST_F(LeanCommandLine, ABoxOnScreenStaysPastTheBound) {
    if (!std::filesystem::exists(m_app + "/tarvenne-qt.so")) {
        GTEST_SKIP() << "built without Qt: there is no window module to load";
    }
    const FakeDisplay display(FakeDisplay::Kind::X, Mode::Answers);
    // Qt's own warnings may go to the error stream; the confirmation on the console would go here.
    const std::string out = m_dir / "out.txt";
    const pid_t program =
        StartProgram(m_exe, Confirmed(), m_dir.Path(),
                     {"DISPLAY=" + display.Name(), "QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + m_runtime}, out);
    EXPECT_EQ(WaitForProgram(program, 7), -1) << "the box was not left on screen";
    EXPECT_EQ(ReadFile(out).value_or(""), "");
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
