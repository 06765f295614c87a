// The on-screen module over Qt Widgets: the Qt application, its message boxes and the main window, behind the C
// entry point of ScreenModule.h. Every function the program calls here is noexcept: no exception leaves the module.
#include "ScreenModule.h"

#include "DialogLook.h"
#include "Product.h"
#include "QtMainWindow.h"
#include "QtMessageBox.h"

#include <QApplication>
#include <QByteArray>
#include <QString>
#include <cstdio>
#include <memory>
#include <utility>

namespace {

// Qt's own messages while it opens the display: shown once the display is open, dropped when it is not, since the
// program then says itself what went wrong.
QList<std::pair<QtMsgType, QString>> g_held;
void HoldMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    g_held.append({type, message});
}

// The window system tried last, when the one asked for fails: Qt ends the program when it finds none at all.
constexpr const char* kLastResort = "offscreen";

struct QtScreen {
    QtScreen(int& argc, char** argv) : application(argc, argv) {
        QApplication::setApplicationName(QString::fromUtf8(Product::kName));
        QApplication::setApplicationVersion(QString::fromUtf8(Product::kVersion));
        QApplication::setDesktopFileName(QStringLiteral("tarvenne"));
        SetUpDialogLook(ProgramIcon());
    }

    QApplication application;
    QtMessageBox messageBox;
    std::unique_ptr<QtMainWindow> window;
};

// The process's one screen, from its opening until the program closes it.
QtScreen* g_screen = nullptr;

} // namespace

int TarvenneOpenScreen(int* argc, char** argv, const char* platform, TarvenneScreen* screen, char* reason,
                       std::size_t reasonSize) noexcept {
    const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
    QByteArray wanted = !chosen.isEmpty() ? chosen : QByteArray(platform);
    if (wanted.isEmpty()) {
        // Both can be reached: the one of the user's session first.
        wanted = qgetenv("XDG_SESSION_TYPE") == "wayland" ? "wayland;xcb" : "xcb;wayland";
    }
    const bool lastResortWanted = wanted.split(';').contains(kLastResort);
    qputenv("QT_QPA_PLATFORM", wanted + ";" + kLastResort);
    const QtMessageHandler previous = qInstallMessageHandler(HoldMessage);
    auto opened = std::make_unique<QtScreen>(*argc, argv);
    qInstallMessageHandler(previous);
    if (chosen.isEmpty()) {
        qunsetenv("QT_QPA_PLATFORM");
    } else {
        qputenv("QT_QPA_PLATFORM", chosen);
    }
    const QList<std::pair<QtMsgType, QString>> held = std::exchange(g_held, {});
    if (QGuiApplication::platformName() == QLatin1String(kLastResort) && !lastResortWanted) {
        const QByteArray why = held.isEmpty() ? QByteArray("Qt could not open it") : held.front().second.toUtf8();
        std::snprintf(reason, reasonSize, "%s", why.constData());
        return 0;
    }
    for (const auto& [type, message] : held) {
        qt_message_output(type, QMessageLogContext(), message);
    }
    g_screen = opened.release();
    *screen = {
        .msgBox =
            [](const char* prompt, int style, const char* title) noexcept {
                g_screen->messageBox.MsgBox(prompt, static_cast<MsgBoxStyle>(style), std::string(title));
            },
        .showMainWindow =
            [](const char* applicationDirectory, const char* inputPath) noexcept {
                g_screen->window = std::make_unique<QtMainWindow>(applicationDirectory);
                g_screen->window->show();
                if (*inputPath != '\0') {
                    QMetaObject::invokeMethod(
                        g_screen->window.get(),
                        [path = std::string(inputPath)] { g_screen->window->Form().ConvertPicked(path); },
                        Qt::QueuedConnection);
                }
            },
        .exec = []() noexcept { return QApplication::exec(); },
        .close = []() noexcept { delete std::exchange(g_screen, nullptr); },
    };
    return 1;
}
