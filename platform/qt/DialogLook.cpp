// The application's style for dialog buttons, and its window icon.
#include "DialogLook.h"

#include <QApplication>
#include <QIcon>
#include <QProxyStyle>

namespace {

class DialogStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons && !QIcon::hasThemeIcon(QStringLiteral("dialog-ok"))) {
            return 0;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

void SetUpDialogLook(const QIcon& programIcon) {
    QApplication::setWindowIcon(programIcon);
    // Over the style in use, which the new one takes over.
    QApplication::setStyle(new DialogStyle(QApplication::style()));
}
