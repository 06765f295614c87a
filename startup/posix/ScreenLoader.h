// The screen of the Linux program: the on-screen module, loaded the first time something must be shown, and the
// console in its place when there is no display to show it on.
#pragma once

#include "ConsoleMessageBox.h"
#include "MessageBox.h"
#include "ScreenModule.h"
#include "frmStart.h"

#include <optional>
#include <string>

// Message boxes on screen once a display answers; until then, and without one, on the console. The main window
// opens on screen, or stderr says why it cannot.
class ScreenLoader : public MessageBox, public MainWindowLauncher {
public:
    // argc and argv are handed to the toolkit and must outlive the loader.
    ScreenLoader(int& argc, char** argv, std::string applicationDirectory);
    // Closes the screen, when it was opened.
    ~ScreenLoader() override;
    ScreenLoader(const ScreenLoader&) = delete;
    ScreenLoader& operator=(const ScreenLoader&) = delete;

    // The screen, reached, loaded and opened at the first call. Null when no display is named or, after a line on
    // stderr that says why, when it does not answer or cannot be opened, or the module cannot be loaded.
    const TarvenneScreen* Get();

    bool ShowMainWindow(const std::string& inputPath) override;
    void MsgBoxWithDetail(const std::string& prompt, MsgBoxStyle style, const std::string& detail) override;
    // On the error stream, whether or not the boxes are on screen: no box is shown for it.
    void Detail(const std::string& line) override;
    // On the output stream, whether or not there is a display, so that it can be piped and read in a terminal.
    bool Print(const std::string& text) override;

protected:
    void Show(const std::string& prompt, MsgBoxStyle style, const std::string& title) override;

private:
    std::optional<TarvenneScreen> Open();

    int& m_argc;
    char** m_argv;
    std::string m_applicationDirectory;
    bool m_tried = false;
    std::optional<TarvenneScreen> m_screen;
    ConsoleMessageBox m_console;
};
