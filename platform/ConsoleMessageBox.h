// Message boxes as text, for when no graphical display is available.
#pragma once

#include "MessageBox.h"

#include <cstdio>

// Critical messages go to the error stream, all others to the output stream, one prompt line per text line.
class ConsoleMessageBox : public MessageBox {
public:
    // Through stdio, not <iostream>, whose streams would be set up before main in every run, printing or not.
    explicit ConsoleMessageBox(std::FILE* out = stdout, std::FILE* err = stderr) : m_out(out), m_err(err) {}

    // The detail's lines on the error stream, each after the program's name.
    void MsgBoxWithDetail(const std::string& prompt, MsgBoxStyle style, const std::string& detail) override;
    // A line on the error stream.
    void Detail(const std::string& line) override;
    // On the output stream; when it cannot be written (a full disk, a closed pipe), a line on the error stream says
    // why.
    bool Print(const std::string& text) override;

protected:
    void Show(const std::string& prompt, MsgBoxStyle style, const std::string& title) override;

private:
    // The prompt's lines on the error or the output stream; false, after a line on the error stream that says why
    // the output stream refused them, when they could not be written.
    bool PrintText(bool error, const std::string& prompt);
    // Writes the text and a line break; false when the stream refused it.
    bool Write(bool error, const std::string& text) const;

    std::FILE* m_out;
    std::FILE* m_err;
};
