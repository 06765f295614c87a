// Message boxes on screen over MessageBoxW, owned by the main window while it exists.
#pragma once

#include "MessageBox.h"

// windows.h stays out of this header: it defines a MessageBox macro that would rename this class's base.
struct HWND__;

// The MessageBoxW style for a style value: OK with its icon, in front, so that a box shown before any window is seen.
unsigned MessageBoxStyleOf(MsgBoxStyle style);

class Win32MessageBox : public MessageBox {
public:
    explicit Win32MessageBox(HWND__* owner = nullptr) : m_owner(owner) {}

protected:
    void Show(const std::string& prompt, MsgBoxStyle style, const std::string& title) override;

private:
    HWND__* m_owner;
};
