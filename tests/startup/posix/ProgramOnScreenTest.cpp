// The real executable on an X display of its own (scripts/with-xvfb), with nothing in between: its main window and
// message boxes are found on screen, read (title, and the text that Ctrl+C copies) and answered as a user would, and
// the exit status is the one that follows. Without such a display the tests are skipped, unless
// TARVENNE_DISPLAY_TESTS_REQUIRED is set, as in CI, where they fail instead.
#include "DisplayDriver.h"
#include "ParamName.h"
#include "PosixProgram.h"
#include "ProgramFixture.h"
#include "WorkedExample.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <sys/wait.h>
#include <thread>

namespace {

using namespace std::chrono_literals;
using xtest::WindowInfo;
using xtest::WindowKind;

constexpr xtest::Timeout kShowTimeout = 10s; // start-up with Qt on a busy machine is well under it
constexpr xtest::Timeout kActTimeout = 5s;

// What Ctrl+C in a message box copies: its title, text and button between lines of dashes.
std::string Copied(const std::string& title, const std::string& text) {
    const std::string rule = "---------------------------\n";
    return rule + title + "\n" + rule + text + "\n" + rule + "OK   \n" + rule;
}

// The program as a child the test watches; killed when the test ends with it still running.
class Child {
public:
    explicit Child(pid_t pid) : m_pid(pid) {}
    ~Child() {
        if (Running()) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t Pid() const { return m_pid; }
    bool Running() {
        int status = 0;
        if (!m_status && ::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_status = status;
        }
        return !m_status;
    }
    // The exit status, or -1 when it ended otherwise; only once it is no longer Running.
    int Status() const { return m_status && WIFEXITED(*m_status) ? WEXITSTATUS(*m_status) : -1; }

private:
    pid_t m_pid;
    std::optional<int> m_status;
};

class ProgramOnScreen : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        const char* display = std::getenv("TARVENNE_TEST_DISPLAY");
        if (display == nullptr || *display == '\0') {
            if (std::getenv("TARVENNE_DISPLAY_TESTS_REQUIRED") != nullptr) {
                FAIL() << "TARVENNE_TEST_DISPLAY is not set: the display tests must run under scripts/with-xvfb";
            }
            GTEST_SKIP() << "needs a private X display: run the tests under scripts/with-xvfb";
        }
        try {
            m_display = std::make_unique<xtest::DisplaySession>(display);
        } catch (const std::exception& error) {
            FAIL() << error.what();
        }
        AddScreenModule(m_app);
        m_runtime = MakeRuntimeDirectory(m_dir.Path());
    }

    void Start(const std::vector<std::string>& arguments) {
        // Qt chooses the window system itself, as for a user whose session names only an X display.
        m_child = std::make_unique<Child>(
            StartProgram(m_exe, arguments, m_dir.Path(),
                         {"DISPLAY=" + m_display->Name(), "QT_QPA_PLATFORM=", "XDG_RUNTIME_DIR=" + m_runtime},
                         m_dir / "stdout", m_dir / "stderr"));
    }

    // The program's next window on screen, one not seen before; nothing when the program ends or the time passes
    // first (the test has then failed).
    std::optional<WindowInfo> NextWindow(const std::string& expected) {
        const auto deadline = std::chrono::steady_clock::now() + kShowTimeout;
        while (std::chrono::steady_clock::now() < deadline) {
            for (const WindowInfo& window : m_display->WindowsOf(m_child->Pid())) {
                if (std::find(m_seen.begin(), m_seen.end(), window.id) == m_seen.end()) {
                    m_seen.push_back(window.id);
                    return window;
                }
            }
            if (!m_child->Running()) {
                ADD_FAILURE() << "the program ended with status " << m_child->Status() << " before " << expected
                              << " came";
                return std::nullopt;
            }
            std::this_thread::sleep_for(20ms);
        }
        ADD_FAILURE() << expected << " did not come within " << kShowTimeout.count() << " ms";
        return std::nullopt;
    }

    // Waits for a message box, checks that it is all the program shows and that the program waits for it, and
    // dismisses it with Enter; returns what Ctrl+C copied from it.
    std::string AnswerBox(const std::string& expected) {
        const std::optional<WindowInfo> box = NextWindow("the box \"" + expected + "\"");
        if (!box) {
            return {};
        }
        EXPECT_EQ(box->kind, WindowKind::Dialog) << "a window titled \"" << box->title << "\" came instead of a box";
        EXPECT_EQ(box->title, "Tarvenne");
        const std::string copied = m_display->CopyFrom(box->id, kActTimeout).value_or("(Ctrl+C copied nothing)");
        EXPECT_EQ(m_display->WindowsOf(m_child->Pid()).size(), 1u) << "more than the box is on screen";
        EXPECT_TRUE(m_child->Running()) << "the program did not wait for the box";
        EXPECT_TRUE(m_display->PointAt(box->id) && m_display->PressKeys("Return"));
        EXPECT_TRUE(m_display->WaitUntilGone(box->id, kActTimeout)) << "Enter did not dismiss the box";
        return copied;
    }

    // What the program wrote on stderr, to show with a wrong status.
    std::string Err() const { return ReadFile(m_dir / "stderr").value_or(""); }

    // Waits for the program to end; a window that it shows meanwhile fails the test at once, and so does anything on
    // the console: what the program says is on screen, and the display never failed.
    int ExitStatus() {
        const auto deadline = std::chrono::steady_clock::now() + kShowTimeout;
        while (m_child->Running()) {
            for (const WindowInfo& window : m_display->WindowsOf(m_child->Pid())) {
                ADD_FAILURE() << "unexpected window \"" << window.title << "\" while the program should end: "
                              << m_display->CopyFrom(window.id, kActTimeout).value_or("(nothing copied)");
                return -1;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "the program did not end within " << kShowTimeout.count() << " ms";
                return -1;
            }
            std::this_thread::sleep_for(20ms);
        }
        EXPECT_EQ(ReadFile(m_dir / "stdout").value_or(""), "");
        EXPECT_EQ(Err().find("Tarvenne:"), std::string::npos) << Err();
        return m_child->Status();
    }

    std::string m_runtime;
    std::unique_ptr<xtest::DisplaySession> m_display;
    std::unique_ptr<Child> m_child;
    std::vector<xtest::Window> m_seen;
};

// Started without arguments, or after a malformed command line has been reported, the program shows its main window
// and ends with status 0 once the window is closed or File, Exit is chosen.
struct WindowCase {
    const char* name;
    std::vector<std::string> arguments;
    bool errorFirst;
    bool viaExit; // File, Exit with the keyboard; otherwise closed as by a window manager
};

void PrintTo(const WindowCase& c, std::ostream* os) {
    *os << c.name;
}

class MainWindowOnScreen : public ProgramOnScreen, public testing::WithParamInterface<WindowCase> {};

TEST_P(MainWindowOnScreen, ShowsAndEndsWithZero) {
    Start(GetParam().arguments);
    if (GetParam().errorFirst) {
        EXPECT_EQ(AnswerBox("command-line error"),
                  Copied("Tarvenne", "Error in command line arguments. Full program will run."));
    }
    const std::optional<WindowInfo> window = NextWindow("the main window");
    ASSERT_TRUE(window);
    EXPECT_EQ(window->kind, WindowKind::Normal) << "\"" << window->title << "\" came instead of the main window";
    EXPECT_EQ(window->title, "Tarvenne");
    // A client area of 4680 by 2475 twips is 312 by 165 pixels at 96 dpi; the menu bar is above it, inside the
    // window, as the system the window comes from has it outside the client area.
    EXPECT_EQ(window->width, 312);
    EXPECT_GE(window->height, 165 + 15);
    EXPECT_LE(window->height, 165 + 40);
    EXPECT_TRUE(window->fixedSize);
    // It stays open, alone, until told to close.
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(m_child->Running());
    EXPECT_EQ(m_display->WindowsOf(m_child->Pid()).size(), 1u);

    if (GetParam().viaExit) {
        ASSERT_TRUE(m_display->PointAt(window->id));
        ASSERT_TRUE(m_display->PressKeys("alt+f"));
        // The menu opens (a window of its own) before its item is chosen.
        const std::optional<WindowInfo> menu = NextWindow("the File menu");
        ASSERT_TRUE(menu);
        ASSERT_TRUE(m_display->PressKeys("x"));
    } else {
        m_display->AskToClose(window->id);
    }
    EXPECT_TRUE(m_display->WaitUntilGone(window->id, kActTimeout));
    EXPECT_EQ(ExitStatus(), 0) << Err();
}

INSTANTIATE_TEST_SUITE_P(Ways, MainWindowOnScreen,
                         testing::Values(WindowCase{"NoArgumentsClosed", {}, false, false},
                                         WindowCase{"NoArgumentsFileExit", {}, false, true},
                                         WindowCase{"MalformedThenClosed", {"-x"}, true, false}),
                         ParamName<WindowCase>);

// A list with a bad line picked in the window: a box names the line, and the window stays.
TEST_F(ProgramOnScreen, AFailedClickSaysWhyInABox) {
    WriteFile(m_input, kItem + "\r\nbroken\tline\r\n");
    Start({});
    const std::optional<WindowInfo> window = NextWindow("the main window");
    ASSERT_TRUE(window);
    // The button has the focus.
    ASSERT_TRUE(m_display->PointAt(window->id) && m_display->PressKeys("space"));
    const std::optional<WindowInfo> open = NextWindow("the Open dialog");
    ASSERT_TRUE(open);
    EXPECT_EQ(open->title, "Select your Y'z Dock itemlist");
    ASSERT_TRUE(m_display->PointAt(open->id) && m_display->TypeText(m_input) && m_display->PressKeys("Return"));
    ASSERT_TRUE(m_display->WaitUntilGone(open->id, kActTimeout));

    std::optional<WindowInfo> box;
    // Past any completion list that the dialog's name box showed while the path was typed.
    while ((box = NextWindow("the failure box")) && box->kind != WindowKind::Dialog) {
    }
    ASSERT_TRUE(box);
    EXPECT_EQ(box->title, "Tarvenne");
    EXPECT_EQ(m_display->CopyFrom(box->id, kActTimeout),
              Copied("Tarvenne", "The conversion failed; nothing was written.\n\nInput file: " + m_input +
                                     "\nLine 2 is missing a field."));
    EXPECT_TRUE(m_display->PointAt(box->id) && m_display->PressKeys("Return"));
    EXPECT_TRUE(m_display->WaitUntilGone(box->id, kActTimeout));

    EXPECT_TRUE(m_display->IsShown(window->id)) << "the window stays open";
    EXPECT_TRUE(m_child->Running());
    m_display->AskToClose(window->id);
    EXPECT_TRUE(m_display->WaitUntilGone(window->id, kActTimeout));
    EXPECT_EQ(ExitStatus(), 0) << Err();
    EXPECT_EQ(ListDirectory(m_app).find("itemlist.conf"), std::string::npos) << "nothing is written";
}

// A command-line conversion: the boxes it shows, each waited for, and the status once the last is dismissed. The
// main window never opens.
enum class Outcome { Written, Failed, Fallback };

struct ConversionCase {
    const char* name;
    Outcome outcome;
    bool silent;
};

void PrintTo(const ConversionCase& c, std::ostream* os) {
    *os << c.name;
}

class ConversionOnScreen : public ProgramOnScreen, public testing::WithParamInterface<ConversionCase> {};

TEST_P(ConversionOnScreen, ShowsItsBoxesThenEnds) {
    const auto [name, outcome, silent] = GetParam();
    WriteFile(m_input, outcome == Outcome::Failed ? "Editor\ttype.app\r\n" : kItem + "\r\n");
    const std::string out = outcome == Outcome::Fallback ? m_dir / "missing" + "/" : m_out;
    std::vector<std::string> arguments{"-in", m_input, "-out", out, "-type", "yzrk"};
    if (silent) {
        arguments.push_back("-s");
    }

    std::vector<std::string> boxes;
    if (outcome == Outcome::Failed) {
        boxes.push_back(Copied("Tarvenne", "The conversion failed; nothing was written.\n\nInput file: " + m_input +
                                               "\nLine 1 is missing a field."));
    }
    if (outcome == Outcome::Fallback) {
        // On screen the box says why, and where the file goes now.
        boxes.push_back(Copied("Tarvenne", "No directory selected. Saving in application directory.\n\nThe output file "
                                           "could not be written there: " +
                                               out +
                                               "itemlist.conf: No such file or "
                                               "directory.\nSaving it as " +
                                               m_app + "/itemlist.conf."));
    }
    if (outcome != Outcome::Failed && !silent) {
        boxes.push_back(
            Copied("Tarvenne", "New file written to " + (outcome == Outcome::Fallback ? m_app + "/" : out)));
    }

    const std::size_t mappedBefore = m_display->MappedWindows().size();
    Start(arguments);
    for (const std::string& box : boxes) {
        EXPECT_EQ(AnswerBox(box.substr(0, 120)), box);
    }
    EXPECT_EQ(ExitStatus(), outcome == Outcome::Written ? 0 : outcome == Outcome::Failed ? 1 : 3) << Err();
    // Every window mapped during the run was one of the boxes: no main window, and with -s and success nothing at
    // all, not even for a moment.
    EXPECT_EQ(m_display->MappedWindows().size() - mappedBefore, boxes.size());

    const std::optional<std::string> written =
        ReadFile((outcome == Outcome::Fallback ? InApp("") : out) + "itemlist.conf");
    EXPECT_EQ(written, outcome == Outcome::Failed ? std::nullopt : std::optional(kItemBlock));
}

INSTANTIATE_TEST_SUITE_P(Outcomes, ConversionOnScreen,
                         testing::Values(ConversionCase{"Confirmed", Outcome::Written, false},
                                         ConversionCase{"SilentShowsNothing", Outcome::Written, true},
                                         ConversionCase{"Failed", Outcome::Failed, false},
                                         ConversionCase{"FailedSilent", Outcome::Failed, true},
                                         ConversionCase{"FallbackThenConfirmed", Outcome::Fallback, false},
                                         ConversionCase{"FallbackSilent", Outcome::Fallback, true}),
                         ParamName<ConversionCase>);

} // namespace
