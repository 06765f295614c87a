// Shows the program's message boxes with MessageBoxW.
#include "Win32MessageBox.h"

#include "Unicode.h"

#include <windows.h>
#undef MessageBox

// The style values are MessageBoxW's own.
static_assert(static_cast<unsigned>(MsgBoxStyle::OkOnly) == MB_OK &&
              static_cast<unsigned>(MsgBoxStyle::Critical) == MB_ICONERROR &&
              static_cast<unsigned>(MsgBoxStyle::Information) == MB_ICONINFORMATION);

unsigned MessageBoxStyleOf(MsgBoxStyle style) {
    return static_cast<unsigned>(style) | MB_SETFOREGROUND;
}

void Win32MessageBox::Show(const std::string& prompt, MsgBoxStyle style, const std::string& title) {
    // A window that has gone since it was made the owner would keep the box from showing at all.
    HWND owner = m_owner != nullptr && ::IsWindow(m_owner) ? m_owner : nullptr;
    // Without an owner, the box still keeps the user from the program's other windows until it is closed.
    const unsigned modality = owner != nullptr ? MB_APPLMODAL : MB_TASKMODAL;
    ::MessageBoxW(owner, WideFromUtf8(prompt).c_str(), WideFromUtf8(title).c_str(),
                  MessageBoxStyleOf(style) | modality);
}
