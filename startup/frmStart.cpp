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
                   std::string applicationDirectory, FileSystemObject& files)
    : m_argumentText(std::move(argumentText)), m_messageBox(messageBox), m_launcher(launcher),
      m_applicationDirectory(std::move(applicationDirectory)), m_files(files) {}

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
        m_messageBox.MsgBox(frmMain::CommandLineHelp(), MsgBoxStyle::OkOnly);
        return kShownOnRequest;
    }
    if (m_argumentText == kVersionRequest) {
        m_messageBox.MsgBox(std::string(Product::kName) + " " + Product::kVersion, MsgBoxStyle::OkOnly);
        return kShownOnRequest;
    }
    const std::optional<CommandLine> commandLine = ParseCommandLine(m_argumentText, kUnquotePaths);
    // A type other than "yzrk" converts nothing, so it must not be confirmed as written: it is reported like any
    // other command line the program cannot carry out.
    if (!commandLine) {
        if (const std::optional<std::string> dropped = LoneFile()) {
            return OpenMainWindow(*dropped);
        }
    }
    if (!commandLine || commandLine->type != kConversionType) {
        m_messageBox.MsgBox(kCommandLineError, MsgBoxStyle::Critical);
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
        // After a fallback the file is not where the command line asked: name the directory actually used.
        const std::string directory =
            saved.inApplicationDirectory ? m_applicationDirectory + kNativeSeparator : commandLine->outputDirectory;
        m_messageBox.MsgBox(kConfirmation + directory, MsgBoxStyle::Information);
    }
    return saved.inApplicationDirectory ? kWrittenInApplicationDirectory : kWritten;
}
