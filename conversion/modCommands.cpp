// Counting and reading lines, the conversion run, and writing its output with a fallback place.
#include "modCommands.h"

#include "CommonDialog.h"
#include "Error.h"
#include "FileSystemObject.h"
#include "MessageBox.h"
#include "Process.h"

#include <filesystem>
#include <functional>
#include <limits>

namespace modCommands {

namespace {

constexpr const char* kOutputDescription = "RK Launcher Itemlist";
constexpr const char* kOutputFileName = "itemlist.conf";
constexpr const char* kSaveDialogTitle = "Select where to save your file";
constexpr const char* kFallbackMessage = "No directory selected. Saving in application directory.";
constexpr const char* kFirstPlaceFailed = "Tarvenne: the output file could not be written there: ";

constexpr std::string_view kCrLf = "\r\n";

// Puts the text into a stream; called once for each place the output is written to.
using TextWriter = std::function<void(TextStream&)>;

void WriteTextFile(const std::string& path, const TextWriter& write) {
    FileSystemObject fso;
    TextStream stream = fso.CreateTextFile(path);
    write(stream);
    stream.Close();
}

std::string ChooseSavePath(const std::string& description, const std::string& fileName, CommonDialog* dialog) {
    if (dialog == nullptr) {
        throw Error(ErrorKind::NoPlaceChosen, "no Save dialog is available");
    }
    dialog->DialogTitle = kSaveDialogTitle;
    dialog->Filter = description + " (" + fileName + ") | " + fileName;
    dialog->FileName = fileName;
    if (!dialog->ShowSave()) {
        throw Error(ErrorKind::NoPlaceChosen, "no place was chosen for the output file");
    }
    return dialog->FileName;
}

// Room for the joined text of a typical item list, about twice its input, so that the text is not moved as it
// grows. Only a guess: the text still grows when it needs more, and never holds more than its memory limit.
std::size_t ExpectedOutputSize(const std::string& inputPath) {
    std::error_code error;
    // Paths are UTF-8 on every system; a plain std::string path would be read in the system's code page.
    const std::uintmax_t size =
        std::filesystem::file_size(std::filesystem::path(std::u8string(inputPath.begin(), inputPath.end())), error);
    return error ? 0 : static_cast<std::size_t>(size) * 2;
}

} // namespace

int CountLines(const std::string& path) {
    FileSystemObject fso;
    TextStream stream = fso.OpenTextFile(path);
    int count = 0;
    while (!stream.AtEndOfStream()) {
        if (count == std::numeric_limits<int>::max()) {
            throw Error(ErrorKind::TooManyLines, path + ": more lines than a line number can hold");
        }
        try {
            stream.SkipLine();
        } catch (Error& error) {
            // A line too long to read: the message names it.
            error.SetLineNumber(count + 1);
            throw;
        }
        ++count;
    }
    stream.Close();
    return count;
}

std::string GetLine(const std::string& path, int n) {
    FileSystemObject fso;
    TextStream stream = fso.OpenTextFile(path);
    // A number below 1 never meets the counter, so the walk runs off the end and fails there.
    for (int i = 1; i != n; ++i) {
        stream.SkipLine();
    }
    std::string line = stream.ReadLine();
    stream.Close();
    return line;
}

SavedFile RunYzToRK(const std::string& inputPath, const std::optional<std::string>& directory,
                    const RunContext& context) {
    const int count = CountLines(inputPath);
    JoinedText text(ExpectedOutputSize(inputPath));
    {
        // Lines 1 to count in order, through one sequential stream rather than a GetLine per line, so that the
        // run stays linear in the size of the input.
        FileSystemObject fso;
        TextStream stream = fso.OpenTextFile(inputPath);
        for (int i = 1; i <= count; ++i) {
            try {
                const std::string_view line = stream.ReadLineView();
                text.Append(line.size() + kLongestBlockOverhead + kCrLf.size(), [line](std::string& out) {
                    AppendYzLineToRK(line, out);
                    out += kCrLf;
                });
            } catch (Error& error) {
                error.SetLineNumber(i);
                throw;
            }
        }
        stream.Close();
    }
    text.Finish();
    return SaveOutput(text, kOutputDescription, kOutputFileName, directory, context);
}

namespace {

SavedFile SaveWith(const TextWriter& text, const std::string& description, const std::string& fileName,
                   const std::optional<std::string>& directory, const RunContext& context) {
    std::string firstFailure;
    try {
        const std::string path =
            directory ? *directory + fileName : ChooseSavePath(description, fileName, context.dialog);
        WriteTextFile(path, text);
        return {path, false};
    } catch (const Error& error) {
        firstFailure = error.what();
        context.messageBox.MsgBox(kFallbackMessage, MsgBoxStyle::OkOnly);
        // The message keeps its words for every failure; why this place failed comes with it as a detail.
        context.messageBox.Detail(std::string(kFirstPlaceFailed) + firstFailure);
    }
    const std::string path = context.applicationDirectory + kNativeSeparator + fileName;
    try {
        WriteTextFile(path, text);
    } catch (const Error& error) {
        // Both places and both reasons, for the message that reports the failure.
        throw Error(error.Kind(), firstFailure + "; then " + error.what());
    }
    return {path, true};
}

} // namespace

SavedFile SaveOutput(const std::string& text, const std::string& description, const std::string& fileName,
                     const std::optional<std::string>& directory, const RunContext& context) {
    return SaveWith([&text](TextStream& stream) { stream.Write(text); }, description, fileName, directory, context);
}

SavedFile SaveOutput(const JoinedText& text, const std::string& description, const std::string& fileName,
                     const std::optional<std::string>& directory, const RunContext& context) {
    return SaveWith([&text](TextStream& stream) { text.WriteTo(stream); }, description, fileName, directory, context);
}

} // namespace modCommands
