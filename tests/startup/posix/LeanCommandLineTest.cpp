// The real executable and the display: Qt is loaded only when something is shown, a display that is named but
// cannot be reached or opened gives the console behaviour after one line that names it, and never an abort.
#include "PosixProgram.h"
#include "ProgramFixture.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

const std::string kItem = "Editor\ttype.app\tC:\\e.exe\t-\t\t12345normal\t1\r\n";
const std::string kCannotReach = "Tarvenne: the display cannot be reached: ";
const std::string kCannotOpen = "Tarvenne: the display cannot be opened: ";
const std::string kNoDisplay = "Tarvenne: no graphical display is available, so the main window cannot open.\n"
                               "To convert without a window: tarvenne -in FILE -out DIRECTORY/ -type yzrk [-s]\n";

// An abstract local socket where an X server of that display number would listen. Listening, it accepts every
// connection and hangs up at once: the display is there, but no X server speaks on it.
class FakeDisplay {
public:
    explicit FakeDisplay(bool listen) {
        for (m_number = 4000 + ::getpid() % 2000;; ++m_number) {
            m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            const std::string name = "/tmp/.X11-unix/X" + std::to_string(m_number);
            std::memcpy(address.sun_path + 1, name.data(), name.size());
            const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
            if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) == 0) {
                break;
            }
            ::close(m_fd);
        }
        if (!listen) {
            // Free: nothing is there once it is let go.
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        ::listen(m_fd, 16);
        m_thread = std::thread([this] {
            while (!m_stop) {
                pollfd wait{m_fd, POLLIN, 0};
                if (::poll(&wait, 1, 20) == 1) {
                    const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
                    if (client >= 0) {
                        ++m_accepted;
                        ::close(client);
                    }
                }
            }
        });
    }
    ~FakeDisplay() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }

    std::string Name() const {
        std::string name = ":";
        name += std::to_string(m_number);
        return name;
    }
    int Accepted() const { return m_accepted; }

private:
    int m_number = 0;
    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    std::thread m_thread;
};

class LeanCommandLine : public ProgramFixture {
protected:
    std::string m_log = m_dir / "screen.log";
    std::string m_loader = m_dir / "loader";
    std::string m_runtime;

    void SetUp() override {
        ProgramFixture::SetUp();
        AddScreenModule(m_app);
        WriteFile(m_input, kItem);
        std::filesystem::create_directory(m_loader);
        m_runtime = MakeRuntimeDirectory(m_dir.Path());
    }

    // Runs the copy with the environment, the dynamic loader noting each library it loads, boxes dismissed and the
    // window's event loop ended at once.
    ProgramResult RunWith(const std::vector<std::string>& arguments, std::vector<std::string> environment) {
        std::filesystem::remove_all(m_loader);
        std::filesystem::create_directory(m_loader);
        std::filesystem::remove(m_log);
        environment.insert(environment.end(), {"LD_DEBUG=libs", "LD_DEBUG_OUTPUT=" + m_loader + "/libs",
                                               "TARVENNE_TEST_SCREEN_LOG=" + m_log, "XDG_RUNTIME_DIR=" + m_runtime});
        return Run(arguments, WithSeam(environment));
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
    std::string Confirmation() const { return "New file written to " + m_out + "\n"; }
};

TEST_F(LeanCommandLine, WithoutADisplayQtIsNeverLoaded) {
    for (const auto& arguments : {Window(), Confirmed(), Silent()}) {
        const ProgramResult result = RunWith(arguments, {});
        EXPECT_EQ(result.status, arguments.empty() ? 2 : 0) << result.err;
        EXPECT_FALSE(LoadedQt()) << arguments.size();
        EXPECT_EQ(result.err.find(kCannotReach), std::string::npos);
    }
}

// A display that is named but has no server behind it: the console, after one line that names it.
TEST_F(LeanCommandLine, AnUnreachableDisplayGivesTheConsole) {
    const FakeDisplay gone(false);
    const std::string x = "DISPLAY=" + gone.Name();
    const std::string wayland = "WAYLAND_DISPLAY=tarvenne-gone";
    const std::string tcp = "DISPLAY=127.0.0.1" + gone.Name();
    for (const auto& [environment, named] : {std::pair{std::vector{x}, x}, std::pair{std::vector{wayland}, wayland},
                                             std::pair{std::vector{tcp}, tcp}, std::pair{std::vector{x, wayland}, x}}) {
        const ProgramResult window = RunWith(Window(), environment);
        EXPECT_EQ(window.status, 2) << named;
        EXPECT_TRUE(window.err.starts_with(kCannotReach + named + " (")) << window.err;
        EXPECT_TRUE(window.err.ends_with(")\n" + kNoDisplay)) << window.err;
        EXPECT_EQ(window.out, "");

        const ProgramResult confirmed = RunWith(Confirmed(), environment);
        EXPECT_EQ(confirmed.status, 0) << named;
        EXPECT_EQ(confirmed.out, Confirmation());
        EXPECT_TRUE(confirmed.err.starts_with(kCannotReach + named + " (")) << confirmed.err;
        EXPECT_EQ(std::count(confirmed.err.begin(), confirmed.err.end(), '\n'), 1) << confirmed.err;

        // Nothing to show: the display is never tried.
        const ProgramResult silent = RunWith(Silent(), environment);
        EXPECT_EQ(silent.status, 0) << named;
        EXPECT_EQ(silent.out + silent.err, "");
        EXPECT_FALSE(LoadedQt()) << named;
        EXPECT_TRUE(ReadFile(m_out + "itemlist.conf").has_value());
    }
}

// The display's socket answers, but Qt cannot open the display on it: still the console, and no abort.
TEST_F(LeanCommandLine, ADisplayThatQtCannotOpenGivesTheConsole) {
    const FakeDisplay hangsUp(true);
    const std::vector<std::string> environment{"DISPLAY=" + hangsUp.Name()};
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
    EXPECT_FALSE(ReadFile(m_log).has_value()) << "nothing was shown";
}

// On screen (Qt's offscreen window system, with a display that answers): what is due is shown, and a silent
// conversion that has nothing to show neither loads Qt nor connects to the display.
TEST_F(LeanCommandLine, OnScreenQtComesInOnlyWhenSomethingIsShown) {
    const FakeDisplay display(true);
    const std::vector<std::string> environment{"DISPLAY=" + display.Name(), "QT_QPA_PLATFORM=offscreen",
                                               "QT_QPA_OFFSCREEN_NO_GLX=1"};
    const ProgramResult silent = RunWith(Silent(), environment);
    EXPECT_EQ(silent.status, 0) << silent.err;
    EXPECT_EQ(silent.out + silent.err, "");
    EXPECT_FALSE(LoadedQt());
    EXPECT_EQ(display.Accepted(), 0);
    EXPECT_FALSE(ReadFile(m_log).has_value());

    struct Case {
        std::vector<std::string> arguments;
        std::string shown;
        int status;
    };
    for (const auto& [arguments, shown, status] :
         {Case{Confirmed(), "box\n", 0}, Case{Window(), "window\n", 0}, Case{{"-in", m_input}, "box\nwindow\n", 0},
          Case{{"-in", m_dir / "missing.ini", "-out", m_out, "-type", "yzrk", "-s"}, "box\n", 1}}) {
        const ProgramResult result = RunWith(arguments, environment);
        EXPECT_EQ(result.status, status) << shown << result.err;
        EXPECT_EQ(ReadFile(m_log), shown);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.find("Tarvenne:"), std::string::npos) << result.err;
        EXPECT_TRUE(LoadedQt());
    }
}

} // namespace
