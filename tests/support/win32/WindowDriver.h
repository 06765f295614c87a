// Finds, reads and works the windows of a program under test, as a user would: Windows only, and free of windows.h,
// so that a test may include it together with our own MessageBox.
//
// Every wait has a deadline and returns empty-handed when it passes, so that a test fails instead of hanging. The
// functions work on windows of other processes and of the calling one alike; a wait also dispatches the calling
// thread's messages, so a window the test itself created stays alive while it waits (a modal dialog of the test's
// own thread, however, blocks that thread: drive it from a second one).
//
// All tests of a session share one Wine desktop, and its keyboard focus: tests that show windows should not run side
// by side (give them one RESOURCE_LOCK in CTest).
#pragma once

#include "RunProgram.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct HWND__; // the system's window handle, HWND

namespace win32test {

using Window = HWND__*;
using Timeout = std::chrono::milliseconds;

// Control ids of Windows' dialogs (dlgs.h and winuser.h), the same under Wine.
namespace ids {
constexpr int kOk = 1;                  // IDOK: OK, Open, Save
constexpr int kCancel = 2;              // IDCANCEL
constexpr int kYes = 6;                 // IDYES
constexpr int kNo = 7;                  // IDNO
constexpr int kMessageBoxText = 0xFFFF; // the prompt of a message box
constexpr int kFileNameCombo = 0x47C;   // cmb13: the "File name" box of an explorer-style Open or Save dialog
constexpr int kFileNameEdit = 0x480;    // edt1: the same in an old-style dialog
} // namespace ids

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// One entry of a menu, as GetMenuItemInfoW gives it.
struct MenuItem {
    std::string text; // with its "&" and any tab and shortcut text; empty for a separator
    bool separator = false;
    bool grayed = false;
    unsigned id = 0;             // the command it sends; 0 for a submenu
    std::vector<MenuItem> items; // the entries of its submenu
};

// Windows and their texts.
std::vector<Window> TopLevelWindows(unsigned long processId); // visible ones, topmost first
std::string WindowText(Window window); // its title or text, asked of the window itself with a bounded wait
std::string ClassName(Window window);
Rect ClientRect(Window window); // in client coordinates: left and top are 0
Rect ScreenRect(Window window); // the whole window, frame included, in screen coordinates
bool IsVisible(Window window);
bool Exists(Window window);
// Waits until the process shows a visible top-level window with this title (and class, when one is given).
Window WaitForWindow(unsigned long processId, const std::string& title, Timeout timeout,
                     const std::string& className = {});
// Waits until the window has gone or is hidden; false when it is still there at the deadline.
bool WaitUntilGone(Window window, Timeout timeout);
// Dispatches the calling thread's messages for a while; a window of the test's own thread needs this to act on
// what was posted to it.
void PumpMessages(Timeout duration = Timeout(0));

// Controls.
// The child controls (at any depth) of this class, and with this text when one is given; "&" counts as text.
std::vector<Window> FindControls(Window parent, const std::string& className,
                                 const std::optional<std::string>& text = {});
Window FindControl(Window parent, const std::string& className, const std::optional<std::string>& text = {});
Window ControlById(Window parent, int id); // a direct child with this id, or nullptr
int ControlId(Window control);
// Presses a button without waiting for what it does: its parent gets the click as WM_COMMAND, as from the mouse.
void PressButton(Window button);
// Presses the dialog's button with this id the same way; false when it has none.
bool PressButton(Window dialog, int buttonId);

// Menus. GetMenuItemInfoW cannot read the menus of another process under Wine (they live in their process there):
// MenuBar then throws std::runtime_error. On Windows, and for windows of the test's own process, it reads them.
std::vector<MenuItem> MenuBar(Window window);
// Sends the window the command of a menu entry, posted as a click on it would.
void ChooseMenuCommand(Window window, unsigned commandId);

// Message boxes.
bool IsMessageBox(Window window);
// Waits for a message box of the process (any title when title is empty).
Window WaitForMessageBox(unsigned long processId, Timeout timeout, const std::string& title = {});
// Title, prompt and icon of a message box; nothing when window is none. Under Wine the icon is told by its picture on
// the screen, which takes some 50 to 300 ms; it is BoxIcon::Other when no picture could be had within 5 s.
std::optional<ShownBox> ReadMessageBox(Window box);
// Presses one of its buttons (ids::kOk, kYes, kNo, ...); false when it has no such button.
bool AnswerMessageBox(Window box, int buttonId);

// Open and Save dialogs (GetOpenFileNameW, GetSaveFileNameW).
Window WaitForFileDialog(unsigned long processId, const std::string& title, Timeout timeout);
// The box that takes the file name: the edit control of cmb13 in an explorer-style dialog, else edt1.
Window FileNameBox(Window dialog);
// Types the name (a full path, or a name in the dialog's folder) into the file name box; false when there is none.
bool EnterFileName(Window dialog, const std::string& name);
std::string FileName(Window dialog); // what the file name box holds
// Enters the name and presses Open or Save; false when the dialog has no file name box.
bool PickFile(Window dialog, const std::string& name);
// Cancels the dialog as Esc would, whether or not it has a Cancel button.
void Cancel(Window dialog);

} // namespace win32test
