// Per-monitor DPI through the functions of newer Windows, found when the program runs, with the system's DPI where
// they are missing: tarvenne.exe imports nothing that Windows 7 lacks.
#include "Win32Dpi.h"

#include <windows.h>

namespace {

// The functions' types, as user32.dll (Windows 10 1607) and shcore.dll (Windows 8.1) define them.
using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

constexpr int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI: the monitor's DPI with the user's scaling

template <typename Function> Function As(Win32Dpi::AnyFunction function) {
    return reinterpret_cast<Function>(function);
}

// The DPI the whole desktop is drawn at: Windows 7 and 8 know only this one.
unsigned SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<unsigned>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

} // namespace

Win32Dpi::Win32Dpi(Lookup lookup)
    : m_getDpiForWindow(lookup(L"user32.dll", "GetDpiForWindow")),
      m_getDpiForMonitor(lookup(L"shcore.dll", "GetDpiForMonitor")),
      m_getSystemMetricsForDpi(lookup(L"user32.dll", "GetSystemMetricsForDpi")),
      m_adjustWindowRectExForDpi(lookup(L"user32.dll", "AdjustWindowRectExForDpi")) {}

unsigned Win32Dpi::ForWindow(HWND window) const {
    if (m_getDpiForWindow != nullptr) {
        if (const UINT dpi = As<GetDpiForWindowFunction>(m_getDpiForWindow)(window); dpi != 0) {
            return dpi;
        }
    }
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (m_getDpiForMonitor != nullptr &&
        SUCCEEDED(As<GetDpiForMonitorFunction>(m_getDpiForMonitor)(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST),
                                                                   kEffectiveDpi, &dpiX, &dpiY)) &&
        dpiY != 0) {
        return dpiY;
    }
    return SystemDpi();
}

int Win32Dpi::SystemMetric(int index, unsigned dpi) const {
    // Without the function, the metrics are the system DPI's, the only DPI such a Windows draws at.
    return m_getSystemMetricsForDpi != nullptr
               ? As<GetSystemMetricsForDpiFunction>(m_getSystemMetricsForDpi)(index, dpi)
               : GetSystemMetrics(index);
}

void Win32Dpi::AdjustWindowRect(RECT& rect, unsigned long style, bool menu, unsigned long extendedStyle,
                                unsigned dpi) const {
    if (m_adjustWindowRectExForDpi != nullptr) {
        As<AdjustWindowRectExForDpiFunction>(m_adjustWindowRectExForDpi)(&rect, style, menu, extendedStyle, dpi);
    } else {
        AdjustWindowRectEx(&rect, style, menu, extendedStyle);
    }
}

Win32Dpi::AnyFunction Win32Dpi::SystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = GetModuleHandleW(library);
    if (module == nullptr) {
        // Only from the system folder, never the program's or the working directory (on Windows 7 the search flag
        // needs KB2533623; without it the call fails and the fallback stands).
        module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    return module != nullptr ? reinterpret_cast<AnyFunction>(GetProcAddress(module, name)) : nullptr;
}
