// The main window: one convert button, an information label, File and Help menus.
#pragma once

#include "CommonDialog.h"
#include "MessageBox.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

class QLabel;
class QPushButton;

class frmMain : public QMainWindow {
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
    explicit frmMain(std::string applicationDirectory, Services services = {}, QWidget* parent = nullptr);
    ~frmMain() override;

    // The window's one file dialog, used for Open here and for Save by the conversion run.
    CommonDialog& cmnDlg() { return *m_cmnDlg; }

    // Sets the label text.
    void Form_Load();
    // Asks for a Y'z Dock item list and converts it, saving where the user chooses. Any failure ends the click
    // silently and leaves the window as it was.
    void cmdYzToRKL_Click();
    // Shows the command-line help.
    void mnuCmd_Click();
    // Shows the About message.
    void mnuAbout_Click();
    // Ends the program at once.
    void mnuExit_Click();

private:
    void BuildControls();
    void BuildMenus();

    std::string m_applicationDirectory;
    std::unique_ptr<MessageBox> m_messageBox;
    std::unique_ptr<CommonDialog> m_cmnDlg;
    std::function<void()> m_endProgram;

    QPushButton* m_cmdYzToRKL = nullptr;
    QLabel* m_label1 = nullptr;
};
