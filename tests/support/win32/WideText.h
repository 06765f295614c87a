// UTF-8 inside the Windows test support, UTF-16 at the system's W functions.
#pragma once

#include <string>

namespace win32test {

// Invalid sequences become U+FFFD either way, so a garbled name still shows in a test's failure message.
std::wstring ToWide(const std::string& text);
std::string ToUtf8(const std::wstring& text);

} // namespace win32test
