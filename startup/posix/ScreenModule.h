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
    // Loads the main window and shows it without waiting. The output falls back to applicationDirectory. A list to
    // convert (inputPath, empty for none) is converted by the window once its event loop runs.
    void (*showMainWindow)(const char* applicationDirectory, const char* inputPath);
    // Runs the main window until the program ends; returns the exit status.
    int (*exec)();
    // Closes the display, the window included; nothing else is called after it.
    void (*close)();
};

// The module's one entry point: opens the display on platform (empty: the toolkit's choice; QT_QPA_PLATFORM wins).
// argc and argv must outlive the screen. Returns 1 with *screen filled in, or 0, nothing shown, with why not in
// reason (reasonSize bytes, NUL included).
__attribute__((visibility("default"))) int TarvenneOpenScreen(int* argc, char** argv, const char* platform,
                                                              TarvenneScreen* screen, char* reason,
                                                              std::size_t reasonSize) noexcept;
}

inline constexpr const char* kOpenScreenName = "TarvenneOpenScreen";
// The module's file name, beside the executable in a build tree; installed, in the library directory's "tarvenne".
inline constexpr const char* kScreenModuleName = "tarvenne-qt.so";
