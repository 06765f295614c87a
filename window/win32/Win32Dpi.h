// The DPI a window is drawn at, and the sizes Windows gives at a DPI: per monitor where the system can say (Windows
// 10 1607 and later, the monitor's DPI from Windows 8.1), the system's DPI on Windows 7 and 8.
#pragma once

struct HWND__;
struct tagRECT; // RECT

class Win32Dpi {
public:
    using AnyFunction = void (*)();
    // Finds a function of the system in a DLL by name; null where this Windows has none.
    using Lookup = AnyFunction (*)(const wchar_t* library, const char* name);

    // The functions newer than Windows 7, each found by lookup; where one is not found, the system's DPI stands in.
    explicit Win32Dpi(Lookup lookup = &SystemFunction);

    // The DPI window is drawn at: its own, its monitor's, or the system's, the first this Windows knows.
    unsigned ForWindow(HWND__* window) const;
    // GetSystemMetrics for dpi.
    int SystemMetric(int index, unsigned dpi) const;
    // AdjustWindowRectEx for dpi: the frame around a client rectangle.
    void AdjustWindowRect(tagRECT& rect, unsigned long style, bool menu, unsigned long extendedStyle,
                          unsigned dpi) const;

    // The function from the system's own DLL (loaded from the system folder when the program has not yet loaded it).
    static AnyFunction SystemFunction(const wchar_t* library, const char* name);

private:
    // Each null when not found; Win32Dpi.cpp knows their types.
    AnyFunction m_getDpiForWindow;
    AnyFunction m_getDpiForMonitor;
    AnyFunction m_getSystemMetricsForDpi;
    AnyFunction m_adjustWindowRectExForDpi;
};
