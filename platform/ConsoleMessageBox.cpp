// Prints message box prompts on the console.
#include "ConsoleMessageBox.h"

#include "Error.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {

constexpr const char* kCannotWriteOutput = "Tarvenne: the output could not be written: ";

// Prompts break lines with CR LF, and a text from a file may bring a lone CR or LF: each is one line break, which a
// terminal wants as LF.
std::string ConsoleText(const std::string& prompt) {
    std::string text;
    for (std::size_t i = 0; i < prompt.size(); ++i) {
        if (prompt[i] != '\r') {
            text += prompt[i];
        } else if (i + 1 == prompt.size() || prompt[i + 1] != '\n') {
            text += '\n';
        }
    }
    return text;
}

} // namespace

bool ConsoleMessageBox::Write(bool error, const std::string& text) const {
    std::FILE* file = error ? m_err : m_out;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fputc('\n', file);
    return std::fflush(file) == 0 && std::ferror(file) == 0;
}

void ConsoleMessageBox::Show(const std::string& prompt, MsgBoxStyle style, const std::string& /*title*/) {
    // A message that cannot be printed takes nothing back from what was done: the status still says it.
    PrintText(style == MsgBoxStyle::Critical, prompt);
}

bool ConsoleMessageBox::Print(const std::string& text) {
    return PrintText(false, text);
}

bool ConsoleMessageBox::PrintText(bool error, const std::string& prompt) {
    if (Write(error, ConsoleText(prompt))) {
        return true;
    }
    if (!error) {
        Detail(kCannotWriteOutput + SystemReason(errno));
    }
    return false;
}

void ConsoleMessageBox::MsgBoxWithDetail(const std::string& prompt, MsgBoxStyle style, const std::string& detail) {
    Show(prompt, style, ApplicationTitle());
    for (std::size_t start = 0; start < detail.size();) {
        const std::size_t end = std::min(detail.find("\r\n", start), detail.size());
        Detail("Tarvenne: " + detail.substr(start, end - start));
        start = end + 2;
    }
}

void ConsoleMessageBox::Detail(const std::string& line) {
    Write(true, line);
}
