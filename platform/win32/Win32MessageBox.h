// Message boxes on screen, owned by the main window while it exists: a dialog of our own, as MessageBoxW lays one out
// (the icon, the prompt, OK), that shows every character of its prompt at any scale and lines up its columns.
#pragma once

#include "MessageBox.h"

#include <string>

// windows.h stays out of this header: it defines a MessageBox macro that would rename this class's base.
struct HWND__;

// The MessageBoxW style for a style value: OK with its icon, in front, so that a box shown before any window is seen.
unsigned MessageBoxStyleOf(MsgBoxStyle style);

// The prompt as the box shows it: where lines hold TAB-separated columns (the command-line help), each run of TABs
// moves on to the next column, so the box's tab stops can line the columns up.
std::wstring ShownPrompt(const std::string& prompt);

class Win32MessageBox : public MessageBox {
public:
    // fontScale enlarges the box's font beyond what the system's DPI makes it: tests see the box as at a larger
    // scaling without changing the system's.
    explicit Win32MessageBox(HWND__* owner = nullptr, double fontScale = 1.0)
        : m_owner(owner), m_fontScale(fontScale) {}

protected:
    void Show(const std::string& prompt, MsgBoxStyle style, const std::string& title) override;

private:
    HWND__* m_owner;
    double m_fontScale;
};
