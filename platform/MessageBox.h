// Modal message box with a prompt, a style value and an optional title.
#pragma once

#include <optional>
#include <string>

// The style values the program uses; the button pressed is never read.
enum class MsgBoxStyle : int {
    OkOnly = 0,      // OK button, no icon
    Critical = 16,   // OK button, critical (stop) icon
    Information = 64 // OK button, information icon
};

// The application title: caption of the forms and title of every box that sets none of its own.
const std::string& ApplicationTitle();

class MessageBox {
public:
    virtual ~MessageBox() = default;

    // Shows the prompt and returns once the user has dismissed it. CR LF in the prompt breaks lines.
    // Without a title the box carries the application title.
    void MsgBox(const std::string& prompt, MsgBoxStyle style, const std::optional<std::string>& title = std::nullopt);

    // A message with the application title and a detail that explains it: on screen the detail follows the prompt
    // in the same box, after a blank line; on the console the prompt is printed as any other and the detail goes to
    // the error stream.
    virtual void MsgBoxWithDetail(const std::string& prompt, MsgBoxStyle style, const std::string& detail);

    // A line for a user who wants to know more, such as a warning about a file already written, on the error stream
    // where the program has one; no box is shown for it.
    virtual void Detail(const std::string& /*line*/) {}

    // Text the user asked for (the command-line help, the version): on the output stream where the program has a
    // console, else in a box without an icon. Returns false when it could not be written.
    virtual bool Print(const std::string& text);

protected:
    virtual void Show(const std::string& prompt, MsgBoxStyle style, const std::string& title) = 0;
};
