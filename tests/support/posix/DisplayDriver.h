// Finds, reads and works the windows of a program under test on an X display without a window manager, as a user
// would: Linux only.
//
// What is on the display is read over Xlib: the top-level windows of a process (by _NET_WM_PID), their titles
// (_NET_WM_NAME), kinds and sizes, every window mapped since the session began, and the owner of the clipboard. The
// pointer, the keyboard focus and keys come from xdotool (XTest, so they reach the focused window), and a message
// box's text from the clipboard with xclip, after Ctrl+C in the box copied it there.
//
// Every wait has a deadline and returns empty-handed when it passes, so that a test fails instead of hanging. All
// tests on one display share its pointer and keyboard: tests that use a display should not run side by side (give
// them one RESOURCE_LOCK in CTest).
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace xtest {

using Window = unsigned long; // the X window id
using Timeout = std::chrono::milliseconds;

// What _NET_WM_WINDOW_TYPE says a window is, by its first (preferred) type.
enum class WindowKind { Normal, Dialog, Other };

struct WindowInfo {
    Window id = 0;
    std::string title; // _NET_WM_NAME, or WM_NAME where that is missing
    WindowKind kind = WindowKind::Other;
    int width = 0; // inside the (absent) frame: the window's own size
    int height = 0;
    bool fixedSize = false; // the size hints set minimum and maximum to its size
};

class DisplaySession {
public:
    // Connects to the display (":N"); throws std::runtime_error when it cannot. From here on every top-level window
    // mapped on it is recorded.
    explicit DisplaySession(std::string name);
    ~DisplaySession();
    DisplaySession(const DisplaySession&) = delete;
    DisplaySession& operator=(const DisplaySession&) = delete;

    const std::string& Name() const { return m_name; }

    // The top-level windows of the process that are on screen now, oldest first.
    std::vector<WindowInfo> WindowsOf(pid_t process);
    // Every top-level window mapped since the session began, any process's, in order; one that was mapped twice is
    // there twice.
    std::vector<Window> MappedWindows();
    // Whether the window is still on screen.
    bool IsShown(Window window);
    // Waits until the window is no longer on screen; false when it still is at the deadline.
    bool WaitUntilGone(Window window, Timeout timeout);

    // Puts the pointer over the window and gives it the keyboard focus, as a click on it would, so that keys go to
    // it.
    bool PointAt(Window window);
    // Sends keys as xdotool names them ("ctrl+c", "Return", "alt+f") to the window under the pointer.
    bool PressKeys(const std::string& keys);
    // Types the text, character by character, into the window under the pointer.
    bool TypeText(const std::string& text);
    // Ctrl+C in the window, then the text it put on the clipboard; nothing when it put none there within the time.
    std::optional<std::string> CopyFrom(Window window, Timeout timeout);
    // Asks the window to close, as a window manager's close button does (WM_DELETE_WINDOW).
    void AskToClose(Window window);

private:
    void Drain();
    std::optional<std::string> Run(const std::string& tool, const std::vector<std::string>& arguments);

    std::string m_name;
    void* m_display = nullptr; // Display*, kept out of this header with Xlib's macros
    Window m_root = 0;
    Window m_own = 0; // an unmapped window of the test's own, to hold the clipboard
    std::vector<Window> m_mapped;
};

} // namespace xtest
