// The boundary between the program and its on-screen module (tarvenne-qt.so, over Qt), which the program loads only
// once something must be shown, so that a conversion that shows nothing never loads the toolkit. The program has the
// C++ runtime linked in and the module uses the shared one, so only C crosses: strings as const char*, a style as
// int, and no exception.
#pragma once

#include <cstddef>

extern "C" {

// What the module shows, once it has opened the display.
struct TarvenneScreen {
    // A message box without an owner window; returns once the user has dismissed it. style is a MsgBoxStyle value.
    void (*msgBox)(const char* prompt, int style, const char* title);
    // Loads the main window and shows it without waiting. The output falls back to applicationDirectory.
    void (*showMainWindow)(const char* applicationDirectory);
    // Runs the main window until the program ends; returns the exit status.
    int (*exec)();
    // Closes the display, the window included; nothing else is called after it.
    void (*close)();
};

// The module's one entry point: opens the display through the toolkit. platform is the window system to use, or
// empty for the toolkit's own choice; QT_QPA_PLATFORM, when set, wins over it. argc and argv must outlive the
// screen. Returns 1 with *screen filled in, or 0 with why not in reason (reasonSize bytes, NUL included), nothing
// having been shown.
__attribute__((visibility("default"))) int TarvenneOpenScreen(int* argc, char** argv, const char* platform,
                                                              TarvenneScreen* screen, char* reason,
                                                              std::size_t reasonSize) noexcept;
}

inline constexpr const char* kOpenScreenName = "TarvenneOpenScreen";
// The module's file name, beside the executable in a build tree; installed, in the library directory's "tarvenne".
inline constexpr const char* kScreenModuleName = "tarvenne-qt.so";
