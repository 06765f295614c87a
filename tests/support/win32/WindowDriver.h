// Starts a program under test and finds, reads and answers its windows as a user would; free of windows.h, which
// clashes with our MessageBox. Every wait has a deadline, so that a test fails instead of hanging. Windows are answered
// with posted messages, never keys, so tests that only answer boxes and dialogs may run side by side.
#pragma once

#include "Poll.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct HWND__; // the system's window handle, HWND

namespace win32test {

using Window = HWND__*;
using Timeout = std::chrono::milliseconds;

constexpr int kOk = 1;     // IDOK: the OK, Open and Save buttons, and the main window's button
constexpr int kCancel = 2; // IDCANCEL

// A program started with the command line a user's shell hands it: its path in quotes, then the arguments joined by
// single spaces as given, in workingDirectory. Killed when this goes, so that no test leaves one behind. Throws
// std::runtime_error when it cannot start.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& workingDirectory);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    unsigned long Id() const { return m_id; }
    // The exit status once the program has ended, waiting at most timeout for it.
    std::optional<int> Wait(Timeout timeout);

private:
    void* m_process = nullptr;
    unsigned long m_id = 0;
};

std::vector<Window> TopLevelWindows(unsigned long processId); // the visible ones
std::string WindowText(Window window); // its title or text, asked of the window itself with a bounded wait
std::string ClassName(Window window);
// Waits until the process shows a visible top-level window for which match is true.
Window WaitForWindow(unsigned long processId, Timeout timeout, const std::function<bool(Window)>& match);
// Presses the dialog's button with this id without waiting for what it does, as the mouse would.
bool PressButton(Window dialog, int buttonId);

// A message box: a #32770 dialog with a prompt and no box to type into.
bool IsMessageBox(Window window);
// The prompt, once Wine has filled it in; its CR LF line breaks kept.
std::string MessageBoxText(Window box);

// Open and Save dialogs (GetOpenFileNameW, GetSaveFileNameW), told by their title.
Window WaitForFileDialog(unsigned long processId, const std::string& title, Timeout timeout);
// Types the name (a full path, or a name in the dialog's folder) and presses Open or Save; false without a name box.
bool PickFile(Window dialog, const std::string& name);

} // namespace win32test
