// UTF-8, the program's own text, to and from UTF-16, the text of the W functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// For text shown to the user: a byte sequence that is not UTF-8 becomes U+FFFD, so the rest still shows.
std::wstring WideFromUtf8(std::string_view text);

// For names of files: nothing when the text is not valid UTF-8, since a replaced character would name another file.
std::optional<std::wstring> ExactWideFromUtf8(std::string_view text);

// Back to UTF-8. Windows names may hold a lone surrogate, which no UTF-8 can carry: it becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);
