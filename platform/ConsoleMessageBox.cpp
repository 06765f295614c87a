// Prints message box prompts on the console.
#include "ConsoleMessageBox.h"

#include <iostream>

ConsoleMessageBox::ConsoleMessageBox() : ConsoleMessageBox(std::cout, std::cerr) {}

ConsoleMessageBox::ConsoleMessageBox(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

void ConsoleMessageBox::Show(const std::string& prompt, MsgBoxStyle style, const std::string& /*title*/) {
    std::ostream& stream = style == MsgBoxStyle::Critical ? m_err : m_out;
    // Prompts break lines with CR LF, and a text from a file may bring a lone CR or LF: each is one line break,
    // which a terminal wants as LF.
    std::string text;
    text.reserve(prompt.size() + 1);
    for (std::size_t i = 0; i < prompt.size(); ++i) {
        if (prompt[i] == '\r') {
            text += '\n';
            if (i + 1 < prompt.size() && prompt[i + 1] == '\n') {
                ++i;
            }
        } else {
            text += prompt[i];
        }
    }
    stream << text << '\n' << std::flush;
}

void ConsoleMessageBox::Detail(const std::string& line) {
    m_err << line << '\n' << std::flush;
}
