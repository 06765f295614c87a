// Title defaulting shared by every message box implementation.
#include "MessageBox.h"

#include "Product.h"

const std::string& ApplicationTitle() {
    static const std::string title = Product::kName;
    return title;
}

void MessageBox::MsgBox(const std::string& prompt, MsgBoxStyle style, const std::optional<std::string>& title) {
    Show(prompt, style, title ? *title : ApplicationTitle());
}

bool MessageBox::Print(const std::string& text) {
    MsgBox(text, MsgBoxStyle::OkOnly);
    return true;
}

void MessageBox::MsgBoxWithDetail(const std::string& prompt, MsgBoxStyle style, const std::string& detail) {
    Show(prompt + "\r\n\r\n" + detail, style, ApplicationTitle());
}
