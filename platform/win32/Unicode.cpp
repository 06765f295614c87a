// Conversions between UTF-8 and UTF-16 through the system's own converter.
#include "Unicode.h"

#include <utility>
#include <windows.h>

namespace {

// The system's converter counts in int: longer text than that is no name and no message this program handles.
std::optional<std::wstring> Widen(std::string_view text, DWORD flags) {
    if (text.empty()) {
        return std::wstring();
    }
    if (!std::in_range<int>(text.size())) {
        return std::nullopt;
    }
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, flags, text.data(), size, nullptr, 0);
    if (length <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, flags, text.data(), size, wide.data(), length);
    return wide;
}

} // namespace

std::wstring WideFromUtf8(std::string_view text) {
    return Widen(text, 0).value_or(std::wstring());
}

std::optional<std::wstring> ExactWideFromUtf8(std::string_view text) {
    return Widen(text, MB_ERR_INVALID_CHARS);
}

std::string Utf8FromWide(std::wstring_view text) {
    if (text.empty() || !std::in_range<int>(text.size())) {
        return std::string();
    }
    const int size = static_cast<int>(text.size());
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}
