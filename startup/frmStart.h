// The start-up form: runs first and decides between a command-line conversion and the main window.
#pragma once

#include "FileSystemObject.h"

#include <optional>
#include <string>
#include <vector>

class MessageBox;

// Exit statuses of the program.
enum ExitStatus : int {
    kWritten = 0,                       // the file was written where the command line asked
    kConversionFailed = 1,              // nothing was written
    kNoDisplay = 2,                     // the main window was due, but there is no display to show it on
    kNotCarriedOut = 2,                 // the command line could not be carried out; the main window ran instead
    kWrittenInApplicationDirectory = 3, // the file was written, but into the application directory
    kShownOnRequest = 0,                // the usage or the version was asked for and shown
    kCannotPrint = 1,                   // the usage or the version was asked for, but could not be written
};

// Opens the main window without waiting for it.
class MainWindowLauncher {
public:
    virtual ~MainWindowLauncher() = default;
    // A list to convert may come with it (a file dropped on the program): once the window is shown, it converts that
    // list as its button does after the Open dialog (frmMain::ConvertPicked). Empty: none. Returns false when the
    // window cannot be shown.
    virtual bool ShowMainWindow(const std::string& inputPath) = 0;
};

// Never shown itself: every path through Form_Load ends the program or hands over to the main window.
class frmStart {
public:
    // The conversion reads and writes through files: the system's own, unless another file system is handed in.
    // argumentStarts: where each argument begins in the text, when the system handed them over as a list.
    frmStart(std::string argumentText, MessageBox& messageBox, MainWindowLauncher& launcher,
             std::string applicationDirectory, FileSystemObject& files = SystemFiles(),
             std::vector<std::size_t> argumentStarts = {});

    // Empty argument text: the main window. "--help" or "/?": the command-line help; "--version": the program's name
    // and version; either in a box, then status 0. A well-formed command line of type "yzrk": one conversion, a
    // confirmation unless silent, and the exit status. Anything else: the command-line error, then the main
    // window. A text that is exactly the path of an existing file (a list dropped on the program) opens the main
    // window, which converts it. Returns the status to end the program with, or nothing when the main window runs on.
    std::optional<int> Form_Load();

    // The status to end the program with once the main window has closed: kNotCarriedOut after a command line that
    // could not be carried out, so that a script does not take it for a success.
    int StatusAfterWindow() const { return m_statusAfterWindow; }

private:
    std::optional<int> OpenMainWindow(const std::string& inputPath = {});
    std::optional<std::string> LoneFile() const;

    std::string m_argumentText;
    MessageBox& m_messageBox;
    MainWindowLauncher& m_launcher;
    std::string m_applicationDirectory;
    FileSystemObject& m_files;
    std::vector<std::size_t> m_argumentStarts;
    int m_statusAfterWindow = kWritten;
};
