// The real executable on an X display of its own (scripts/with-xvfb), with nothing in between: its main window and
// message boxes are found on screen, read (title, and the text that Ctrl+C copies) and answered as a user would, and
// the exit status is the one that follows. Without such a display the tests are skipped, unless
// TARVENNE_DISPLAY_TESTS_REQUIRED is set, as in CI, where they fail instead.
//
// The display is read and worked with Debian's X tools: xdotool lists the program's windows and gives them the
// pointer, the focus and keys (XTest, so they reach the focused window), xwininfo reads a window, xclip the clipboard,
// and xev notes every window mapped. Every wait has a deadline, so that a test fails instead of hanging.
#include "ParamName.h"
#include "Poll.h"
#include "PosixProgram.h"
#include "ProgramFixture.h"
#include "WorkedExample.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Timeout = std::chrono::milliseconds;

constexpr Timeout kShowTimeout = 10s; // start-up with Qt on a busy machine is well under it
constexpr Timeout kActTimeout = 5s;

// What Ctrl+C in a message box copies: its title, text and button between lines of dashes.
std::string Copied(const std::string& title, const std::string& text) {
    const std::string rule = "---------------------------\n";
    return rule + title + "\n" + rule + text + "\n" + rule + "OK   \n" + rule;
}

// What follows the label in a tool's report, up to the end of that line; the label may end in a line break.
std::string After(const std::string& report, const std::string& label) {
    const std::size_t at = report.find(label);
    const std::size_t from = at == std::string::npos ? at : report.find_first_not_of(' ', at + label.size());
    return from == std::string::npos ? "" : report.substr(from, report.find('\n', from) - from);
}

// Asks the window to close, as a window manager's close button does (WM_DELETE_WINDOW). No packaged tool sends that
// (xdotool's windowclose destroys the window, which Qt takes for no close): Xlib does, at the end of this file.
void AskToClose(const std::string& display, const std::string& window);

struct WindowInfo {
    std::string id; // as xdotool prints it
    std::string title;
    std::string kind; // its first (preferred) _NET_WM_WINDOW_TYPE, as xwininfo names it
    int width = 0;    // its own size: there is no window manager's frame
    int height = 0;
    bool fixedSize = false; // the size hints set minimum and maximum to its size
};

// A child process the test watches; killed when the test ends with it still running.
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
        m_display = display;
        AddScreenModule(m_app);
        m_runtime = MakeRuntimeDirectory(m_dir.Path());
        WriteFile(m_dir / "own", "(the test's own text)");
        m_xev = std::make_unique<Child>(
            StartProgram("xev", {"-root", "-event", "substructure"}, {}, {"DISPLAY=" + m_display}, m_dir / "events"));
        ASSERT_TRUE(Synced()) << "xev notes no windows on " << m_display;
    }

    void Start(const std::vector<std::string>& arguments) {
        // Qt chooses the window system itself, as for a user whose session names only an X display.
        m_child = std::make_unique<Child>(
            StartProgram(m_exe, arguments, m_dir.Path(),
                         {"DISPLAY=" + m_display, "QT_QPA_PLATFORM=", "XDG_RUNTIME_DIR=" + m_runtime}, m_dir / "stdout",
                         m_dir / "stderr"));
    }

    // Runs an X tool on the display: what it printed, or nothing when it failed.
    std::optional<std::string> X(const std::string& tool, const std::vector<std::string>& arguments) {
        const ProgramResult result = RunProgram(tool, arguments, {}, {"DISPLAY=" + m_display}, 10);
        return result.status == 0 ? std::optional(result.out) : std::nullopt;
    }

    // The program's top-level windows on screen now, oldest first: without a window manager they are the root's
    // children, which xdotool lists in that order.
    std::vector<WindowInfo> Windows() {
        std::vector<WindowInfo> windows;
        std::istringstream ids(
            X("xdotool", {"search", "--maxdepth", "1", "--onlyvisible", "--pid", std::to_string(m_child->Pid())})
                .value_or(""));
        for (std::string id; ids >> id;) {
            // One gone since it was listed is no failure of the test.
            const std::optional<std::string> report = X("xwininfo", {"-id", id, "-stats", "-wm", "-size"});
            if (!report) {
                continue;
            }
            const std::string named = After(*report, "Window id: "); // the id, then the title in quotes if it has one
            const std::size_t quote = named.find('"');
            WindowInfo window{id, quote == std::string::npos ? "" : named.substr(quote + 1, named.size() - quote - 2),
                              After(*report, "Window type:\n"), std::atoi(After(*report, "Width:").c_str()),
                              std::atoi(After(*report, "Height:").c_str())};
            const std::string size = std::to_string(window.width) + " by " + std::to_string(window.height);
            window.fixedSize = After(*report, "minimum size:") == size && After(*report, "maximum size:") == size;
            windows.push_back(window);
        }
        return windows;
    }

    bool IsShown(const std::string& window) {
        return After(X("xwininfo", {"-id", window}).value_or(""), "Map State:") == "IsViewable";
    }
    bool Gone(const std::string& window) {
        return Poll(kActTimeout, [&] { return !IsShown(window); });
    }

    // Puts the pointer over the window and gives it the keyboard focus, as a click would (without a window manager
    // nothing else does, and Qt's shortcuts do not answer keys to an inactive window), then runs the xdotool
    // commands there: keys as it names them ("key", "ctrl+c"), or a text typed ("type", text).
    bool Press(const std::string& window, std::vector<std::string> commands) {
        commands.insert(commands.begin(),
                        {"mousemove", "--window", window, "10", "10", "windowfocus", "--sync", window});
        return X("xdotool", commands).has_value();
    }

    // Ctrl+C in the window, then the text it put on the clipboard; nothing when it put none there in time. The
    // clipboard first holds the test's own text, given out once and then gone, so that no text from before is taken
    // for the window's.
    std::optional<std::string> CopyFrom(const std::string& window) {
        const auto paste = [&] { return X("xclip", {"-o", "-selection", "clipboard"}); };
        if (!X("xclip", {"-selection", "clipboard", "-loops", "1", "-i", m_dir / "own"}) ||
            !Poll(kActTimeout, [&] { return paste() == ReadFile(m_dir / "own"); }) ||
            !Press(window, {"key", "ctrl+c"})) {
            return std::nullopt;
        }
        std::optional<std::string> copied;
        Poll(kActTimeout, [&] { return (copied = paste()).has_value(); });
        return copied;
    }

    // How many of the events xev noted are of the type.
    std::size_t Noted(const std::string& type) {
        const std::string events = ReadFile(m_dir / "events").value_or("");
        std::size_t count = 0;
        for (std::size_t at = 0; (at = events.find(type + " event", at)) != std::string::npos; ++at) {
            ++count;
        }
        return count;
    }
    // Whether xev has noted everything until now: the display tells it of windows in order, so once it has noted one
    // created now (xclip's), it has noted all that came before. The first one it notes says that it listens.
    bool Synced() {
        const std::size_t created = Noted("CreateNotify");
        return Poll(kActTimeout, [&] {
            X("xclip", {"-o"});
            return Noted("CreateNotify") > created;
        });
    }

    // The program's next window on screen, one not seen before; nothing when the program ends or the time passes
    // first (the test has then failed).
    std::optional<WindowInfo> NextWindow(const std::string& expected) {
        std::optional<WindowInfo> next;
        const bool ended = Poll(kShowTimeout, [&] {
            for (const WindowInfo& window : Windows()) {
                if (std::find(m_seen.begin(), m_seen.end(), window.id) == m_seen.end()) {
                    m_seen.push_back(window.id);
                    next = window;
                    return true;
                }
            }
            return !m_child->Running();
        });
        if (!next) {
            ADD_FAILURE() << expected
                          << (ended ? " did not come before the program ended with status " +
                                          std::to_string(m_child->Status())
                                    : " did not come within " + std::to_string(kShowTimeout.count()) + " ms");
        }
        return next;
    }

    // Waits for a message box, checks that it is all the program shows and that the program waits for it, and
    // dismisses it with Enter; returns what Ctrl+C copied from it.
    std::string AnswerBox(const std::string& expected) {
        const std::optional<WindowInfo> box = NextWindow("the box \"" + expected + "\"");
        if (!box) {
            return {};
        }
        EXPECT_EQ(box->kind, "Dialog") << "a window titled \"" << box->title << "\" came instead of a box";
        EXPECT_EQ(box->title, "Tarvenne");
        const std::string copied = CopyFrom(box->id).value_or("(Ctrl+C copied nothing)");
        EXPECT_EQ(Windows().size(), 1u) << "more than the box is on screen";
        EXPECT_TRUE(m_child->Running()) << "the program did not wait for the box";
        EXPECT_TRUE(Press(box->id, {"key", "Return"}));
        EXPECT_TRUE(Gone(box->id)) << "Enter did not dismiss the box";
        return copied;
    }

    // What the program wrote on stderr, to show with a wrong status.
    std::string Err() const { return ReadFile(m_dir / "stderr").value_or(""); }

    // Waits for the program to end; a window that it shows meanwhile fails the test at once, and so does anything on
    // the console: what the program says is on screen, and the display never failed.
    int ExitStatus() {
        std::vector<WindowInfo> shown;
        if (!Poll(kShowTimeout, [&] { return !(shown = Windows()).empty() || !m_child->Running(); })) {
            ADD_FAILURE() << "the program did not end within " << kShowTimeout.count() << " ms";
            return -1;
        }
        if (!shown.empty()) {
            ADD_FAILURE() << "unexpected window \"" << shown.front().title << "\" while the program should end: "
                          << CopyFrom(shown.front().id).value_or("(nothing copied)");
            return -1;
        }
        EXPECT_EQ(ReadFile(m_dir / "stdout").value_or(""), "");
        EXPECT_EQ(Err().find("Tarvenne:"), std::string::npos) << Err();
        return m_child->Status();
    }

    std::string m_display;
    std::string m_runtime;
    std::unique_ptr<Child> m_xev;
    std::unique_ptr<Child> m_child;
    std::vector<std::string> m_seen;
};

// Started without arguments, or after a malformed command line has been reported, the program shows its main window
// and ends once the window is closed or File, Exit is chosen: with status 0, or 2 when the command line could not be
// carried out, as without a display.
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

TEST_P(MainWindowOnScreen, ShowsAndEnds) {
    Start(GetParam().arguments);
    if (GetParam().errorFirst) {
        EXPECT_EQ(AnswerBox("command-line error"),
                  Copied("Tarvenne", "Error in command line arguments. Full program will run."));
    }
    const std::optional<WindowInfo> window = NextWindow("the main window");
    ASSERT_TRUE(window);
    EXPECT_EQ(window->kind, "Normal") << "\"" << window->title << "\" came instead of the main window";
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
    EXPECT_EQ(Windows().size(), 1u);

    if (GetParam().viaExit) {
        ASSERT_TRUE(Press(window->id, {"key", "alt+f"}));
        // The menu opens (a window of its own) before its item is chosen.
        const std::optional<WindowInfo> menu = NextWindow("the File menu");
        ASSERT_TRUE(menu);
        ASSERT_TRUE(X("xdotool", {"key", "x"}));
    } else {
        AskToClose(m_display, window->id);
    }
    EXPECT_TRUE(Gone(window->id));
    EXPECT_EQ(ExitStatus(), GetParam().errorFirst ? 2 : 0) << Err();
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
    ASSERT_TRUE(Press(window->id, {"key", "space"}));
    const std::optional<WindowInfo> open = NextWindow("the Open dialog");
    ASSERT_TRUE(open);
    EXPECT_EQ(open->title, "Select your Y'z Dock itemlist");
    ASSERT_TRUE(Press(open->id, {"type", "--delay", "5", m_input}) && X("xdotool", {"key", "Return"}));
    ASSERT_TRUE(Gone(open->id));

    std::optional<WindowInfo> box;
    // Past any completion list that the dialog's name box showed while the path was typed.
    while ((box = NextWindow("the failure box")) && box->kind != "Dialog") {
    }
    ASSERT_TRUE(box);
    EXPECT_EQ(box->title, "Tarvenne");
    EXPECT_EQ(CopyFrom(box->id), Copied("Tarvenne", "The conversion failed; nothing was written.\n\nInput file: " +
                                                        m_input + "\nLine 2 is missing a field."));
    EXPECT_TRUE(Press(box->id, {"key", "Return"}));
    EXPECT_TRUE(Gone(box->id));

    EXPECT_TRUE(IsShown(window->id)) << "the window stays open";
    EXPECT_TRUE(m_child->Running());
    AskToClose(m_display, window->id);
    EXPECT_TRUE(Gone(window->id));
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
        boxes.push_back(Copied("Tarvenne", "New file written to " + (outcome == Outcome::Fallback ? m_app + "/" : out) +
                                               "itemlist.conf"));
    }

    Start(arguments);
    for (const std::string& box : boxes) {
        EXPECT_EQ(AnswerBox(box.substr(0, 120)), box);
    }
    EXPECT_EQ(ExitStatus(), outcome == Outcome::Written ? 0 : outcome == Outcome::Failed ? 1 : 3) << Err();
    // Every window mapped on the display during the test was a box: no main window, and with -s and success nothing at
    // all, not even for a moment.
    ASSERT_TRUE(Synced());
    EXPECT_EQ(Noted("MapNotify"), boxes.size());

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

// Last, with its macros (None, Status, Bool) apart from the rest.
#include <X11/Xlib.h>

namespace {

void AskToClose(const std::string& display, const std::string& window) {
    XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; }); // a window gone is for the test to notice
    ::Display* connection = XOpenDisplay(display.c_str());
    ASSERT_NE(connection, nullptr);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::stoul(window);
    event.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(connection, "WM_DELETE_WINDOW", False));
    XSendEvent(connection, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(connection);
}

} // namespace
