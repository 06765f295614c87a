// The system's reason for a GetLastError value.
#include "Error.h"

#include "Unicode.h"

#include <windows.h>

std::string SystemReason(int errorNumber) {
    wchar_t* text = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, static_cast<DWORD>(errorNumber), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason(text != nullptr ? text : L"", text != nullptr ? length : 0);
    ::LocalFree(text);
    // Inside our messages, the system's sentences lose their full stop and line break, like the C library's reasons.
    const std::size_t end = reason.find_last_not_of(L"\r\n \t.");
    reason.erase(end == std::wstring::npos ? 0 : end + 1);
    if (reason.empty()) {
        return "system error " + std::to_string(static_cast<unsigned long>(errorNumber));
    }
    return Utf8FromWide(reason);
}
