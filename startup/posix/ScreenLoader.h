// Loads the on-screen module the first time something must be shown, and stands in for it on the console when
// there is no display to show it on.
#pragma once

#include "ConsoleMessageBox.h"
#include "MessageBox.h"
#include "ScreenModule.h"
#include "frmStart.h"

#include <optional>
#include <string>

class ScreenLoader {
public:
    // argc and argv are handed to the toolkit and must outlive the loader.
    ScreenLoader(int& argc, char** argv, std::string applicationDirectory);
    // Closes the screen, when it was opened.
    ~ScreenLoader();
    ScreenLoader(const ScreenLoader&) = delete;
    ScreenLoader& operator=(const ScreenLoader&) = delete;

    // The screen, reached, loaded and opened at the first call. Null when nothing can be shown: when no display
    // is named (HasDisplay), or (after one line on stderr that says why) when the named display does not answer or
    // cannot be opened, or the module cannot be loaded.
    const TarvenneScreen* Get();

    const std::string& ApplicationDirectory() const { return m_applicationDirectory; }

private:
    std::optional<TarvenneScreen> Open();

    int& m_argc;
    char** m_argv;
    std::string m_applicationDirectory;
    bool m_tried = false;
    std::optional<TarvenneScreen> m_screen;
};

// Message boxes on screen once a display answers; until then, and without one, on the console.
class OnDemandMessageBox : public MessageBox {
public:
    explicit OnDemandMessageBox(ScreenLoader& loader) : m_loader(loader) {}

    // On the error stream, whether or not the boxes are on screen: no box is shown for it.
    void Detail(const std::string& line) override;

protected:
    void Show(const std::string& prompt, MsgBoxStyle style, const std::string& title) override;
    void ShowWithDetail(const std::string& prompt, MsgBoxStyle style, const std::string& detail) override;

private:
    ScreenLoader& m_loader;
    ConsoleMessageBox m_console;
};

// Opens the main window on screen, or says on stderr why it cannot.
class OnDemandLauncher : public MainWindowLauncher {
public:
    explicit OnDemandLauncher(ScreenLoader& loader) : m_loader(loader) {}

    bool ShowMainWindow() override;

private:
    ScreenLoader& m_loader;
};
