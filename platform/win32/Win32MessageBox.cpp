// Shows the program's message boxes with MessageBoxW.
#include "Win32MessageBox.h"

#include "Unicode.h"

#include <windows.h>
#undef MessageBox

unsigned MessageBoxStyleOf(MsgBoxStyle style) {
    unsigned icon = 0;
    switch (style) {
    case MsgBoxStyle::OkOnly:
        break;
    case MsgBoxStyle::Critical:
        icon = MB_ICONERROR;
        break;
    case MsgBoxStyle::Information:
        icon = MB_ICONINFORMATION;
        break;
    }
    return MB_OK | icon | MB_SETFOREGROUND;
}

void Win32MessageBox::Show(const std::string& prompt, MsgBoxStyle style, const std::string& title) {
    // A window that has gone since it was made the owner would keep the box from showing at all.
    HWND owner = m_owner != nullptr && ::IsWindow(m_owner) ? m_owner : nullptr;
    // Without an owner, the box still keeps the user from the program's other windows until it is closed.
    const unsigned modality = owner != nullptr ? MB_APPLMODAL : MB_TASKMODAL;
    ::MessageBoxW(owner, WideFromUtf8(prompt).c_str(), WideFromUtf8(title).c_str(),
                  MessageBoxStyleOf(style) | modality);
}
