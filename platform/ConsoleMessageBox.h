// Message boxes as text, for when no graphical display is available.
#pragma once

#include "MessageBox.h"

#include <ostream>

// Critical messages go to the error stream, all others to the output stream, one prompt line per text line.
class ConsoleMessageBox : public MessageBox {
public:
    // On the console: the program's standard output and standard error.
    ConsoleMessageBox() = default;
    ConsoleMessageBox(std::ostream& out, std::ostream& err);

    // The detail's lines on the error stream, each after the program's name.
    void MsgBoxWithDetail(const std::string& prompt, MsgBoxStyle style, const std::string& detail) override;
    // A line on the error stream.
    void Detail(const std::string& line) override;

protected:
    void Show(const std::string& prompt, MsgBoxStyle style, const std::string& title) override;

private:
    void Print(bool error, const std::string& line) const;

    // Null for the console, which is written through stdio: <iostream>'s own streams are made before main, printing or
    // not, a seventh of all the work of a short conversion that prints nothing.
    std::ostream* m_out = nullptr;
    std::ostream* m_err = nullptr;
};
