// Shows a MessageDialog and waits until it is dismissed.
#include "QtMessageBox.h"

#include "MessageDialog.h"

#include <QString>

void QtMessageBox::Show(const std::string& prompt, MsgBoxStyle style, const std::string& title) {
    MessageDialog dialog(QString::fromLocal8Bit(prompt), style, QString::fromLocal8Bit(title), m_parent);
    dialog.exec();
}
