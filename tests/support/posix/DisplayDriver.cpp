// Windows of a program under test on an X display, read over Xlib and worked with xdotool and xclip.
#include "DisplayDriver.h"

#include "RunProgram.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <stdexcept>
#include <thread>

namespace xtest {

namespace {

constexpr auto kPoll = std::chrono::milliseconds(20);
constexpr int kToolSeconds = 10;

::Display* Of(void* display) {
    return static_cast<::Display*>(display);
}

// A window can go between being listed and being asked about: that is no failure of the test, and Xlib's own
// handler would end the process.
int IgnoreError(::Display*, XErrorEvent*) {
    return 0;
}

// A property's items, as XGetWindowProperty gives them (32-bit items as longs).
template <typename Item> std::vector<Item> Property(::Display* display, Window window, const char* name, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<Item> items;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1 << 16, False, type, &actualType,
                           &format, &count, &after, &data) == Success &&
        data != nullptr) {
        if (actualType == type) {
            const Item* begin = reinterpret_cast<const Item*>(data);
            items.assign(begin, begin + count);
        }
        XFree(data);
    }
    return items;
}

std::string Title(::Display* display, Window window) {
    const std::vector<char> name =
        Property<char>(display, window, "_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False));
    if (!name.empty()) {
        return std::string(name.begin(), name.end());
    }
    const std::vector<char> old = Property<char>(display, window, "WM_NAME", XInternAtom(display, "STRING", False));
    return std::string(old.begin(), old.end());
}

WindowKind KindOf(::Display* display, Window window) {
    const std::vector<long> types =
        Property<long>(display, window, "_NET_WM_WINDOW_TYPE", XInternAtom(display, "ATOM", False));
    if (types.empty()) {
        return WindowKind::Other;
    }
    const auto first = static_cast<Atom>(types.front());
    if (first == XInternAtom(display, "_NET_WM_WINDOW_TYPE_NORMAL", False)) {
        return WindowKind::Normal;
    }
    if (first == XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False)) {
        return WindowKind::Dialog;
    }
    return WindowKind::Other;
}

} // namespace

DisplaySession::DisplaySession(std::string name) : m_name(std::move(name)) {
    XSetErrorHandler(IgnoreError);
    ::Display* display = XOpenDisplay(m_name.c_str());
    if (display == nullptr) {
        throw std::runtime_error("the display " + m_name + " cannot be opened");
    }
    m_display = display;
    m_root = XDefaultRootWindow(display);
    // Top-level windows are the root's children: their mapping is told to anyone who asks.
    XSelectInput(display, m_root, SubstructureNotifyMask);
    m_own = XCreateSimpleWindow(display, m_root, 0, 0, 1, 1, 0, 0, 0);
    XSync(display, False);
}

DisplaySession::~DisplaySession() {
    XDestroyWindow(Of(m_display), m_own);
    XCloseDisplay(Of(m_display));
}

void DisplaySession::Drain() {
    ::Display* display = Of(m_display);
    XSync(display, False);
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && event.xmap.event == m_root) {
            m_mapped.push_back(event.xmap.window);
        }
    }
}

std::vector<Window> DisplaySession::MappedWindows() {
    Drain();
    return m_mapped;
}

bool DisplaySession::IsShown(Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(Of(m_display), window, &attributes) != 0 && attributes.map_state == IsViewable;
}

std::vector<WindowInfo> DisplaySession::WindowsOf(pid_t process) {
    ::Display* display = Of(m_display);
    Drain();
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    std::vector<WindowInfo> windows;
    if (XQueryTree(display, m_root, &root, &parent, &children, &count) == 0) {
        return windows;
    }
    // The tree lists the root's children bottom first: without a window manager, the oldest first.
    for (unsigned i = 0; i < count; ++i) {
        const Window window = children[i];
        const std::vector<long> pid =
            Property<long>(display, window, "_NET_WM_PID", XInternAtom(display, "CARDINAL", False));
        if (pid.empty() || pid.front() != process || !IsShown(window)) {
            continue;
        }
        WindowInfo info;
        info.id = window;
        info.title = Title(display, window);
        info.kind = KindOf(display, window);
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, window, &attributes) != 0) {
            info.width = attributes.width;
            info.height = attributes.height;
        }
        XSizeHints hints{};
        long supplied = 0;
        if (XGetWMNormalHints(display, window, &hints, &supplied) != 0) {
            info.fixedSize = (hints.flags & PMinSize) != 0 && (hints.flags & PMaxSize) != 0 &&
                             hints.min_width == info.width && hints.max_width == info.width &&
                             hints.min_height == info.height && hints.max_height == info.height;
        }
        windows.push_back(info);
    }
    if (children != nullptr) {
        XFree(children);
    }
    return windows;
}

bool DisplaySession::WaitUntilGone(Window window, Timeout timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (IsShown(window)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPoll);
    }
    return true;
}

std::optional<std::string> DisplaySession::Run(const std::string& tool, const std::vector<std::string>& arguments) {
    const ProgramResult result = RunProgram(tool, arguments, {}, {"DISPLAY=" + m_name}, kToolSeconds);
    if (result.status != 0) {
        return std::nullopt;
    }
    return result.out;
}

bool DisplaySession::PointAt(Window window) {
    // Without a window manager nothing gives a window the focus: Qt takes keys that merely follow the pointer for
    // keys to an inactive window, and its shortcuts (Alt+F for a menu) do not answer them.
    const std::string id = std::to_string(window);
    return Run("xdotool", {"mousemove", "--window", id, "10", "10", "windowfocus", "--sync", id}).has_value();
}

bool DisplaySession::PressKeys(const std::string& keys) {
    return Run("xdotool", {"key", keys}).has_value();
}

bool DisplaySession::TypeText(const std::string& text) {
    return Run("xdotool", {"type", "--delay", "5", text}).has_value();
}

std::optional<std::string> DisplaySession::CopyFrom(Window window, Timeout timeout) {
    ::Display* display = Of(m_display);
    // The clipboard is ours first, so that a text there from before is not taken for the window's.
    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    XSetSelectionOwner(display, clipboard, m_own, CurrentTime);
    XSync(display, False);
    if (XGetSelectionOwner(display, clipboard) != m_own || !PointAt(window) || !PressKeys("ctrl+c")) {
        return std::nullopt;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (XGetSelectionOwner(display, clipboard) == m_own) {
        if (std::chrono::steady_clock::now() > deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(kPoll);
    }
    return Run("xclip", {"-o", "-selection", "clipboard"});
}

void DisplaySession::AskToClose(Window window) {
    ::Display* display = Of(m_display);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
}

} // namespace xtest
