// Prints message box prompts on the console.
#include "ConsoleMessageBox.h"

#include <algorithm>
#include <cstdio>
#include <streambuf>

namespace {

// A stream buffer over one of the C library's streams, writing straight through, as std::cout does while it is
// synchronised with stdio.
class StdioBuffer : public std::streambuf {
public:
    explicit StdioBuffer(std::FILE* file) : m_file(file) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        return std::fputc(c, m_file) == EOF ? traits_type::eof() : c;
    }
    std::streamsize xsputn(const char* data, std::streamsize size) override {
        return static_cast<std::streamsize>(std::fwrite(data, 1, static_cast<std::size_t>(size), m_file));
    }
    int sync() override { return std::fflush(m_file) == 0 ? 0 : -1; }

private:
    std::FILE* m_file;
};

// The console's streams, made the first time something is printed. <iostream>'s own are made before main with a
// locale of their own, printing or not: a seventh of all the work of a short conversion that prints nothing.
std::ostream& ConsoleStream(std::FILE* file) {
    if (file == stderr) {
        static StdioBuffer buffer(stderr);
        static std::ostream stream(&buffer);
        return stream;
    }
    static StdioBuffer buffer(stdout);
    static std::ostream stream(&buffer);
    return stream;
}

} // namespace

ConsoleMessageBox::ConsoleMessageBox() = default;

ConsoleMessageBox::ConsoleMessageBox(std::ostream& out, std::ostream& err) : m_out(&out), m_err(&err) {}

std::ostream& ConsoleMessageBox::Out() const {
    return m_out != nullptr ? *m_out : ConsoleStream(stdout);
}

std::ostream& ConsoleMessageBox::Err() const {
    return m_err != nullptr ? *m_err : ConsoleStream(stderr);
}

void ConsoleMessageBox::Show(const std::string& prompt, MsgBoxStyle style, const std::string& /*title*/) {
    std::ostream& stream = style == MsgBoxStyle::Critical ? Err() : Out();
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

void ConsoleMessageBox::ShowWithDetail(const std::string& prompt, MsgBoxStyle style, const std::string& detail) {
    Show(prompt, style, ApplicationTitle());
    for (std::size_t start = 0; start < detail.size();) {
        const std::size_t end = std::min(detail.find("\r\n", start), detail.size());
        Detail("Tarvenne: " + detail.substr(start, end - start));
        start = end + 2;
    }
}

void ConsoleMessageBox::Detail(const std::string& line) {
    Err() << line << '\n' << std::flush;
}
