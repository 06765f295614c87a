// The main window on Qt Widgets: builds the controls and menus that frmMain describes and routes their events to it.
#pragma once

#include "CommonDialog.h"
#include "MessageBox.h"
#include "frmMain.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

class QIcon;
class QLabel;
class QPushButton;

QIcon ProgramIcon();

class QtMainWindow : public QMainWindow {
    Q_OBJECT
public:
    // What the window shows and asks through, and how it ends the program. Left empty, each is the real one:
    // message boxes on screen modal to the window, the system's file dialogs, leaving the event loop with status 0.
    struct Services {
        std::unique_ptr<MessageBox> messageBox;
        std::unique_ptr<CommonDialog> dialog;
        std::function<void()> endProgram;
    };

    // Builds the window and loads it (Form_Load); it is shown by the caller. The output falls back to
    // applicationDirectory when the chosen place cannot be written.
    explicit QtMainWindow(std::string applicationDirectory, Services services = {}, QWidget* parent = nullptr);

    frmMain& Form() { return *m_form; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A drag that carries a local file may be dropped; the first local file of a drop is converted as
    // if picked in the Open dialog, once the drop is over, so that the program it was dragged from
    // does not wait for the Save dialog.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();

    std::unique_ptr<MessageBox> m_messageBox;
    std::unique_ptr<CommonDialog> m_cmnDlg;
    std::unique_ptr<frmMain> m_form;

    QPushButton* m_cmdYzToRKL = nullptr;
    QLabel* m_label1 = nullptr;
};
