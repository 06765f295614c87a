// The main window in plain Win32: builds the controls and menus that frmMain describes and routes their events to it.
#pragma once

#include "Win32Dpi.h"
#include "frmMain.h"

#include <memory>
#include <string>

struct HWND__;

class Win32MainWindow {
public:
    // Creates the window, hidden, at the system's default place, sized for its monitor's DPI as dpis tells it, owning
    // its boxes and dialogs, and loads it (Form_Load). A file dropped on it converts as one picked in the Open dialog
    // (the first, when several are dropped). The output falls back to applicationDirectory when the chosen
    // place cannot be written. Throws std::runtime_error, naming the system's error, when Windows refuses to create
    // the window.
    explicit Win32MainWindow(std::string applicationDirectory, Win32Dpi dpis = Win32Dpi());
    ~Win32MainWindow();
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    // Shows the window without waiting; showCommand is the SW_ value the program was started with.
    void Show(int showCommand);

    // Converts inputPath as a list picked in the Open dialog (frmMain::ConvertPicked) once the message loop runs, so
    // that the window is on screen and its dialogs and boxes open from the loop, as a click's do.
    void ConvertInMessageLoop(const std::string& inputPath);

    // Runs the program's message loop, with the keyboard of a dialog (Tab, Enter, Space, access keys), until File,
    // Exit or the closing of the window ends it. Returns the exit status, 0.
    int RunMessageLoop();

    // Loads the themed common controls (version 6, chosen by the manifest); called once before any window opens.
    static void InitCommonControls();

    HWND__* Handle() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
