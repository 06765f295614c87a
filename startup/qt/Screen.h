// What the program shows on screen: the main window and on-screen message boxes. They live in a module of their own
// (tarvenne-qt.so, with Qt), which the program loads only once something must be shown, so that a conversion that
// shows nothing never loads the toolkit or talks to a display server.
#pragma once

#include <string>

class MessageBox;

class Screen {
public:
    virtual ~Screen() = default;

    // Message boxes on screen, without an owner window.
    virtual MessageBox& OnScreenMessageBox() = 0;
    // Loads the main window and shows it without waiting. The output falls back to applicationDirectory.
    virtual void ShowMainWindow(const std::string& applicationDirectory) = 0;
    // Runs the main window until the program ends; returns the exit status.
    virtual int Exec() = 0;
};

// The module's one entry point: opens the display through the toolkit. platform is the window system to use, or
// empty for the toolkit's own choice; QT_QPA_PLATFORM, when set, wins over it. argc and argv must outlive the
// screen. Returns null when the display cannot be opened after all: *reason then says why, and nothing was shown.
using OpenScreenFunction = Screen* (*)(int* argc, char** argv, const char* platform, std::string* reason);
inline constexpr const char* kOpenScreenName = "TarvenneOpenScreen";
// The module's file name, beside the executable in a build tree; installed, in the library directory's "tarvenne".
inline constexpr const char* kScreenModuleName = "tarvenne-qt.so";
