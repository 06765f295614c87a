// Program entry on Linux: the start-up form, on screen or, without a display, on the console.
#include "ConsoleMessageBox.h"
#include "Process.h"
#include "Product.h"
#include "QtMessageBox.h"
#include "QtMainWindow.h"
#include "frmStart.h"

#include <QApplication>
#include <iostream>
#include <memory>

namespace {

// Without a display the main window cannot open: say so, and let the program end.
class ConsoleLauncher : public MainWindowLauncher {
public:
    bool ShowMainWindow() override {
        std::cerr << "Tarvenne: no graphical display is available (neither DISPLAY nor WAYLAND_DISPLAY is set), so "
                     "the main window cannot open.\n"
                     "To convert without a window: tarvenne -in FILE -out DIRECTORY/ -type yzrk [-s]\n";
        return false;
    }
};

// Loads the main window and shows it without waiting; the window then runs the program until it closes.
class WindowLauncher : public MainWindowLauncher {
public:
    bool ShowMainWindow() override {
        m_window = std::make_unique<QtMainWindow>(ApplicationDirectory());
        m_window->show();
        return true;
    }

private:
    std::unique_ptr<QtMainWindow> m_window;
};

} // namespace

int main(int argc, char** argv) {
    const std::string argumentText = ArgumentText(argc, argv);
    if (!HasDisplay()) {
        ConsoleMessageBox messageBox;
        ConsoleLauncher launcher;
        frmStart start(argumentText, messageBox, launcher, ApplicationDirectory());
        return start.Form_Load().value_or(kNoDisplay);
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(Product::kName));
    QApplication::setApplicationVersion(QString::fromUtf8(Product::kVersion));
    QApplication::setDesktopFileName(QStringLiteral("tarvenne"));
    WindowLauncher launcher;
    {
        // The start-up form is gone once it has handed over to the main window.
        QtMessageBox messageBox;
        frmStart start(argumentText, messageBox, launcher, ApplicationDirectory());
        if (const std::optional<int> status = start.Form_Load()) {
            return *status;
        }
    }
    return QApplication::exec();
}
