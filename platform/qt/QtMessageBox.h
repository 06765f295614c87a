// Message boxes on screen, modal to their parent window.
#pragma once

#include "MessageBox.h"

class QWidget;

class QtMessageBox : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : m_parent(parent) {}

protected:
    void Show(const std::string& prompt, MsgBoxStyle style, const std::string& title) override;

private:
    QWidget* m_parent;
};
