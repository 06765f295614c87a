// The command-line front end: parse, convert, confirm or report, and the exit status.
#include "frmStart.h"

#include "CommandLine.h"
#include "Error.h"
#include "FailureMessage.h"
#include "MessageBox.h"
#include "Process.h"
#include "Product.h"
#include "frmMain.h"
#include "modCommands.h"

#include <utility>

namespace {

constexpr const char* kConversionType = "yzrk";
constexpr const char* kConfirmation = "New file written to ";
constexpr const char* kCommandLineError = "Error in command line arguments. Full program will run.";
constexpr const char* kNoInputFile = "No input file was given.";
constexpr const char* kNoQuotesNeeded = "Paths need no quotation marks, even with spaces.";
// How to write a path that holds a "-", for a command line that could not be read.
constexpr const char* kDashHint =
    kUnquotePaths
        ? "A path that holds a \"-\" is read whole when a space stands before each option and none before a "
          "\"-\" inside the path, or when the path is in quotation marks: "
          "-in \"C:\\Dock -Backup\\itemlist.ini\" -out D:\\RK-Launcher\\ -type yzrk"
        : "A path that holds a \"-\" is read whole when each option and each value is an argument of its own, "
          "and a path that begins with \"-\" is written with \"./\" before it: "
          "-in yz-backup/itemlist.ini -out ./-rk/ -type yzrk";
// Argument texts that ask for the usage or the version instead of a conversion, exactly so.
constexpr const char* kHelpRequest = "--help";
constexpr const char* kWindowsHelpRequest = "/?";
constexpr const char* kVersionRequest = "--version";

// Why the run failed, for the command line: an input that is not given or is quoted gets a word of its own.
std::string CommandLineReason(const std::exception& error, const std::string& inputPath) {
    const auto* known = dynamic_cast<const Error*>(&error);
    if (known == nullptr || known->Kind() != ErrorKind::CannotOpen) {
        return FailureReason(error);
    }
    if (inputPath.empty()) {
        return kNoInputFile;
    }
    // Users quote paths with spaces by habit, and quotation marks left in a path (on Linux all of them) make it name
    // no file as a rule: say that the quotes are the trouble.
    const bool looksQuoted = inputPath.front() == '"' || inputPath.back() == '"';
    return FailureReason(error) + (looksQuoted ? modCommands::kCrLf + std::string(kNoQuotesNeeded) : "");
}

} // namespace

frmStart::frmStart(std::string argumentText, MessageBox& messageBox, MainWindowLauncher& launcher,
                   std::string applicationDirectory, FileSystemObject& files, std::vector<std::size_t> argumentStarts)
    : m_argumentText(std::move(argumentText)), m_messageBox(messageBox), m_launcher(launcher),
      m_applicationDirectory(std::move(applicationDirectory)), m_files(files),
      m_argumentStarts(std::move(argumentStarts)) {}

std::optional<int> frmStart::OpenMainWindow(const std::string& inputPath) {
    return m_launcher.ShowMainWindow(inputPath) ? std::nullopt : std::optional<int>(kNoDisplay);
}

// A file dropped on the program arrives as the whole argument text: its path, quoted on Windows when it holds a space.
std::optional<std::string> frmStart::LoneFile() const {
    for (const std::string& path : {m_argumentText, Unquoted(m_argumentText)}) {
        if (m_files.SameFile(path, path) && !m_files.FolderExists(path)) {
            return path;
        }
    }
    return std::nullopt;
}

std::optional<int> frmStart::Form_Load() {
    if (m_argumentText.empty()) {
        return OpenMainWindow();
    }
    if (m_argumentText == kHelpRequest || m_argumentText == kWindowsHelpRequest) {
        return m_messageBox.Print(frmMain::CommandLineHelp()) ? kShownOnRequest : kCannotPrint;
    }
    if (m_argumentText == kVersionRequest) {
        return m_messageBox.Print(std::string(Product::kName) + " " + Product::kVersion) ? kShownOnRequest
                                                                                         : kCannotPrint;
    }
    const std::optional<CommandLine> commandLine = ReadCommandLine(m_argumentText, kUnquotePaths, m_argumentStarts);
    // A type other than "yzrk" converts nothing, so it must not be confirmed as written: it is reported like any
    // other command line the program cannot carry out.
    if (!commandLine) {
        if (const std::optional<std::string> dropped = LoneFile()) {
            return OpenMainWindow(*dropped);
        }
    }
    if (!commandLine || commandLine->type != kConversionType) {
        if (!commandLine && HoldsDashInAValue(m_argumentText)) {
            m_messageBox.MsgBoxWithDetail(kCommandLineError, MsgBoxStyle::Critical, kDashHint);
        } else {
            m_messageBox.MsgBox(kCommandLineError, MsgBoxStyle::Critical);
        }
        m_statusAfterWindow = kNotCarriedOut;
        return OpenMainWindow();
    }

    modCommands::SavedFile saved;
    try {
        saved = modCommands::RunYzToRK(commandLine->inputPath, commandLine->outputDirectory,
                                       {m_messageBox, nullptr, m_applicationDirectory, &m_files});
    } catch (const std::exception& error) {
        m_messageBox.MsgBox(FailureMessage(commandLine->inputPath, CommandLineReason(error, commandLine->inputPath)),
                            MsgBoxStyle::Critical);
        return kConversionFailed;
    }

    if (!commandLine->silent) {
        // The file actually written, wherever the command line's value or a fallback put it.
        m_messageBox.MsgBox(kConfirmation + m_files.FullPath(saved.path), MsgBoxStyle::Information);
    }
    return saved.inApplicationDirectory ? kWrittenInApplicationDirectory : kWritten;
}
