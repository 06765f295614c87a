// Message boxes as text, for when no graphical display is available.
#pragma once

#include "MessageBox.h"

#include <ostream>

// Critical messages go to the error stream, all others to the output stream, one prompt line per text line.
class ConsoleMessageBox : public MessageBox {
public:
    // On the console: the program's standard output and standard error.
    ConsoleMessageBox();
    ConsoleMessageBox(std::ostream& out, std::ostream& err);

    // A line on the error stream.
    void Detail(const std::string& line) override;

protected:
    void Show(const std::string& prompt, MsgBoxStyle style, const std::string& title) override;
    // The detail's lines on the error stream, each after the program's name.
    void ShowWithDetail(const std::string& prompt, MsgBoxStyle style, const std::string& detail) override;

private:
    std::ostream& Out() const;
    std::ostream& Err() const;

    // Null for the console, whose streams are made only once something is printed.
    std::ostream* m_out = nullptr;
    std::ostream* m_err = nullptr;
};
