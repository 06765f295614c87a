// The on-screen module over Qt Widgets: the Qt application, its message boxes and the main window.
#include "DialogLook.h"
#include "Product.h"
#include "QtMainWindow.h"
#include "QtMessageBox.h"
#include "Screen.h"

#include <QApplication>
#include <QByteArray>
#include <QString>
#include <memory>

namespace {

// Qt's own messages while it opens the display: shown once the display is open, dropped when it is not, since the
// program then says itself what went wrong.
QList<std::pair<QtMsgType, QString>> g_held;
void HoldMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    g_held.append({type, message});
}

// The window system tried last, when the one asked for fails: Qt ends the program when it finds none at all.
constexpr const char* kLastResort = "offscreen";

class QtScreen : public Screen {
public:
    QtScreen(int& argc, char** argv) : m_application(argc, argv) {
        QApplication::setApplicationName(QString::fromUtf8(Product::kName));
        QApplication::setApplicationVersion(QString::fromUtf8(Product::kVersion));
        QApplication::setDesktopFileName(QStringLiteral("tarvenne"));
        SetUpDialogLook(ProgramIcon());
    }

    MessageBox& OnScreenMessageBox() override { return m_messageBox; }

    void ShowMainWindow(const std::string& applicationDirectory) override {
        m_window = std::make_unique<QtMainWindow>(applicationDirectory);
        m_window->show();
    }

    int Exec() override { return QApplication::exec(); }

private:
    QApplication m_application;
    QtMessageBox m_messageBox;
    std::unique_ptr<QtMainWindow> m_window;
};

} // namespace

extern "C" __attribute__((visibility("default"))) Screen*
TarvenneOpenScreen(int* argc, char** argv, const char* platform, std::string* reason) {
    const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
    QByteArray wanted = !chosen.isEmpty() ? chosen : QByteArray(platform);
    if (wanted.isEmpty()) {
        // Both can be reached: the one of the user's session first.
        wanted = qgetenv("XDG_SESSION_TYPE") == "wayland" ? "wayland;xcb" : "xcb;wayland";
    }
    const bool lastResortWanted = wanted.split(';').contains(kLastResort);
    qputenv("QT_QPA_PLATFORM", wanted + ";" + kLastResort);
    const QtMessageHandler previous = qInstallMessageHandler(HoldMessage);
    auto screen = std::make_unique<QtScreen>(*argc, argv);
    qInstallMessageHandler(previous);
    if (chosen.isEmpty()) {
        qunsetenv("QT_QPA_PLATFORM");
    } else {
        qputenv("QT_QPA_PLATFORM", chosen);
    }
    const QList<std::pair<QtMsgType, QString>> held = std::exchange(g_held, {});
    if (QGuiApplication::platformName() == QLatin1String(kLastResort) && !lastResortWanted) {
        *reason = held.isEmpty() ? std::string("Qt could not open it") : held.front().second.toStdString();
        return nullptr;
    }
    for (const auto& [type, message] : held) {
        qt_message_output(type, QMessageLogContext(), message);
    }
    return screen.release();
}
