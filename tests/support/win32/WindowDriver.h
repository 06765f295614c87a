// Finds, reads and answers the windows of a program under test, as a user would: Windows only, and free of
// windows.h, so that a test may include it together with our own MessageBox. Every wait has a deadline and returns
// nothing when it passes, so that a test fails instead of hanging. Windows are answered with posted messages, never
// with keys, so tests that only answer boxes and dialogs may run side by side.
#pragma once

#include <chrono>
#include <string>
#include <vector>

struct HWND__; // the system's window handle, HWND

namespace win32test {

using Window = HWND__*;
using Timeout = std::chrono::milliseconds;

constexpr int kOk = 1; // IDOK: the OK, Open and Save buttons

std::vector<Window> TopLevelWindows(unsigned long processId); // the visible ones
std::string WindowText(Window window); // its title or text, asked of the window itself with a bounded wait
std::string ClassName(Window window);
// Waits until the process shows a visible top-level window with this title and class.
Window WaitForWindow(unsigned long processId, const std::string& title, const std::string& className, Timeout timeout);
// Waits until the window has gone or is hidden; false when it is still there at the deadline.
bool WaitUntilGone(Window window, Timeout timeout);
// Presses the button (or the dialog's button with this id) without waiting for what it does, as the mouse would.
void PressButton(Window button);
bool PressButton(Window dialog, int buttonId);
// Cancels a dialog or box as Esc would.
void Cancel(Window dialog);

// A message box: a #32770 dialog with a prompt and no box to type into.
bool IsMessageBox(Window window);
Window WaitForMessageBox(unsigned long processId, Timeout timeout);
// The prompt, once Wine has filled it in; its CR LF line breaks kept.
std::string MessageBoxText(Window box);
// Whether the box shows an icon. Which icon is the style's business, tested in-process (MessageBoxStyleOf).
bool HasIcon(Window box);

// Open and Save dialogs (GetOpenFileNameW, GetSaveFileNameW), told by their title.
Window WaitForFileDialog(unsigned long processId, const std::string& title, Timeout timeout);
std::string FileName(Window dialog); // what its file name box holds
// Types the name (a full path, or a name in the dialog's folder) and presses Open or Save; false without a name box.
bool PickFile(Window dialog, const std::string& name);

} // namespace win32test
