// Program entry on Windows: the start-up form, then, when it hands over to the main window, the window's message loop.
#include "Process.h"
#include "Win32MainWindow.h"
#include "Win32MessageBox.h"
#include "frmStart.h"

#include <memory>
#include <stdexcept>
#include <string>

// The entry point that -municode asks for, declared without windows.h: HINSTANCE is a pointer to this.
struct HINSTANCE__;

namespace {

constexpr const char* kWindowFailed = "The main window cannot open: ";

// Loads the main window and shows it without waiting; the message loop then runs the program until it closes.
class WindowLauncher : public MainWindowLauncher {
public:
    WindowLauncher(MessageBox& messageBox, int showCommand) : m_messageBox(messageBox), m_showCommand(showCommand) {}

    bool ShowMainWindow(const std::string& /*inputPath*/) override {
        try {
            m_window = std::make_unique<Win32MainWindow>(ApplicationDirectory());
        } catch (const std::runtime_error& error) {
            m_messageBox.MsgBox(kWindowFailed + std::string(error.what()), MsgBoxStyle::Critical);
            return false;
        }
        m_window->Show(m_showCommand);
        return true;
    }

    Win32MainWindow& Window() { return *m_window; }

private:
    MessageBox& m_messageBox;
    int m_showCommand;
    std::unique_ptr<Win32MainWindow> m_window;
};

} // namespace

extern "C" int __stdcall wWinMain(HINSTANCE__* /*instance*/, HINSTANCE__* /*previous*/, wchar_t* /*commandLine*/,
                                  int showCommand) {
    Win32MainWindow::InitCommonControls();
    // Boxes of the start-up form have no owner: no window of the program is open yet.
    Win32MessageBox messageBox;
    WindowLauncher launcher(messageBox, showCommand);
    int statusAfterWindow = kWritten;
    {
        // The start-up form is gone once it has handed over to the main window. Its argument text is read from
        // GetCommandLineW: Windows hands the program one text, not a list.
        frmStart start(ArgumentText(0, nullptr), messageBox, launcher, ApplicationDirectory());
        if (const std::optional<int> status = start.Form_Load()) {
            return *status;
        }
        statusAfterWindow = start.StatusAfterWindow();
    }
    const int status = launcher.Window().RunMessageLoop();
    return status != 0 ? status : statusAfterWindow;
}
