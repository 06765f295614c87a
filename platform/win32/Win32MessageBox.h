// Message boxes on screen over MessageBoxW, owned by the main window while it exists.
#pragma once

#include "MessageBox.h"

// windows.h stays out of this header: it defines a MessageBox macro that would rename this class's base.
struct HWND__;

// The MessageBoxW style for one of the program's style values: OK alone, with the error icon or with the
// information icon, brought to the front so that a box shown before any window of ours is seen.
unsigned MessageBoxStyleOf(MsgBoxStyle style);

class Win32MessageBox : public MessageBox {
public:
    explicit Win32MessageBox(HWND__* owner = nullptr) : m_owner(owner) {}

protected:
    void Show(const std::string& prompt, MsgBoxStyle style, const std::string& title) override;

private:
    HWND__* m_owner;
};
