// The command-line front end: parse, convert, confirm or report, and the exit status.
#include "frmStart.h"

#include "CommandLine.h"
#include "Error.h"
#include "MessageBox.h"
#include "Process.h"
#include "TextStream.h"
#include "modCommands.h"

#include <new>
#include <utility>

namespace {

constexpr const char* kConversionType = "yzrk";
constexpr const char* kConfirmation = "New file written to ";
constexpr const char* kCommandLineError = "Error in command line arguments. Full program will run.";
constexpr const char* kCrLf = "\r\n";
constexpr const char* kNoInputFile = "No input file was given.";
constexpr const char* kNoQuotesNeeded = "Paths need no quotation marks, even with spaces.";

std::string LineText(const Error& error) {
    return "Line " + std::to_string(error.LineNumber());
}

// Why a run failed, as one sentence for the user.
std::string FailureReason(const Error& error) {
    switch (error.Kind()) {
    case ErrorKind::MissingField:
        return LineText(error) + " is missing a field.";
    case ErrorKind::ShowFieldTooShort:
        return LineText(error) + " has a show field shorter than five characters.";
    case ErrorKind::EndOfStream:
        return LineText(error) + " could not be read: the file ended before it.";
    case ErrorKind::CannotOpen:
        return std::string("The input file could not be read (") + error.what() + ").";
    case ErrorKind::TooManyLines:
        return "The input file has more lines than can be converted.";
    case ErrorKind::LineTooLong:
        return LineText(error) + " is longer than " + std::to_string(TextStream::kLongestLine / (1024 * 1024)) +
               " MiB, the longest line that can be converted.";
    case ErrorKind::CannotWrite:
        return std::string("The output file could not be written (") + error.what() + ").";
    case ErrorKind::NoPlaceChosen:
        return "No place was chosen for the output file.";
    case ErrorKind::InputChanged:
        return "The input file changed while it was being read.";
    }
    return error.what();
}

std::string FailureMessage(const std::string& inputPath, const std::string& reason) {
    return std::string("The conversion failed; nothing was written.") + kCrLf + kCrLf + "Input file: " + inputPath +
           kCrLf + reason;
}

// Quotation marks stay part of a path, so a quoted path names no file. Users quote paths with spaces out of habit:
// when such an input cannot be opened, say that the quotes are the trouble.
bool LooksQuoted(const std::string& path) {
    return !path.empty() && (path.front() == '"' || path.back() == '"');
}

} // namespace

frmStart::frmStart(std::string argumentText, MessageBox& messageBox, MainWindowLauncher& launcher,
                   std::string applicationDirectory)
    : m_argumentText(std::move(argumentText)), m_messageBox(messageBox), m_launcher(launcher),
      m_applicationDirectory(std::move(applicationDirectory)) {}

std::optional<int> frmStart::OpenMainWindow() {
    if (!m_launcher.ShowMainWindow()) {
        return kNoDisplay;
    }
    return std::nullopt;
}

std::optional<int> frmStart::Form_Load() {
    if (m_argumentText.empty()) {
        return OpenMainWindow();
    }
    const std::optional<CommandLine> commandLine = ParseCommandLine(m_argumentText);
    // A type other than "yzrk" converts nothing, so it must not be confirmed as written: it is reported like any
    // other command line the program cannot carry out.
    if (!commandLine || commandLine->type != kConversionType) {
        m_messageBox.MsgBox(kCommandLineError, MsgBoxStyle::Critical);
        return OpenMainWindow();
    }

    modCommands::SavedFile saved;
    try {
        saved = modCommands::RunYzToRK(commandLine->inputPath, commandLine->outputDirectory,
                                       {m_messageBox, nullptr, m_applicationDirectory});
    } catch (const Error& error) {
        // An empty -in value names no file at all: say so, rather than that an empty path could not be read.
        std::string reason = error.Kind() == ErrorKind::CannotOpen && commandLine->inputPath.empty()
                                 ? std::string(kNoInputFile)
                                 : FailureReason(error);
        if (error.Kind() == ErrorKind::CannotOpen && LooksQuoted(commandLine->inputPath)) {
            reason += kCrLf + std::string(kNoQuotesNeeded);
        }
        m_messageBox.MsgBox(FailureMessage(commandLine->inputPath, reason), MsgBoxStyle::Critical);
        return kConversionFailed;
    } catch (const std::bad_alloc&) {
        m_messageBox.MsgBox(FailureMessage(commandLine->inputPath, "There was not enough memory to convert it."),
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
