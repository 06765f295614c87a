// Prints message box prompts on the console.
#include "ConsoleMessageBox.h"

#include <algorithm>
#include <cstdio>

void ConsoleMessageBox::Print(bool error, const std::string& line) const {
    std::FILE* file = error ? m_err : m_out;
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputc('\n', file);
    std::fflush(file);
}

void ConsoleMessageBox::Show(const std::string& prompt, MsgBoxStyle style, const std::string& /*title*/) {
    // Prompts break lines with CR LF, and a text from a file may bring a lone CR or LF: each is one line break,
    // which a terminal wants as LF.
    std::string text;
    for (std::size_t i = 0; i < prompt.size(); ++i) {
        if (prompt[i] != '\r') {
            text += prompt[i];
        } else if (i + 1 == prompt.size() || prompt[i + 1] != '\n') {
            text += '\n';
        }
    }
    Print(style == MsgBoxStyle::Critical, text);
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
    Print(true, line);
}
