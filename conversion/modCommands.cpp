// Counting and reading lines, the conversion run, and writing its output with a fallback place.
#include "modCommands.h"

#include "CommonDialog.h"
#include "Error.h"
#include "FailureMessage.h"
#include "FileSystemObject.h"
#include "MessageBox.h"
#include "Process.h"

namespace modCommands {

namespace {

constexpr const char* kOutputDescription = "RK Launcher Itemlist";
constexpr const char* kOutputFileName = "itemlist.conf";
constexpr const char* kSaveDialogTitle = "Select where to save your file";
constexpr const char* kFallbackMessage = "No directory selected. Saving in application directory.";
constexpr const char* kFirstPlaceFailed = "The output file could not be written there: ";
constexpr const char* kSavingAs = "Saving it as ";
constexpr const char* kIsTheInput = ": this is the item list being converted";
constexpr const char* kInputChanged = ": the file changed while it was being read";

// The converted text is handed to the output in pieces of about this size.
constexpr std::size_t kPieceSize = 256 * 1024;

Error InputChanged(const std::string& inputPath) {
    return Error(ErrorKind::InputChanged, inputPath + kInputChanged);
}

// The first line of the list without a UTF-8 byte-order mark, which an editor may put in front of the first item's
// name. A UTF-16 list (a byte-order mark of either order, UTF-32's included) holds no 8-bit line at all.
std::string_view WithoutByteOrderMark(std::string_view line) {
    if (line.starts_with("\xFF\xFE") || line.starts_with("\xFE\xFF")) {
        throw Error(ErrorKind::Utf16Text, "the file begins with a UTF-16 byte-order mark");
    }
    if (line.starts_with("\xEF\xBB\xBF")) {
        line.remove_prefix(3);
    }
    return line;
}

// The next line of the stream, count lines having been read before it; the first without a byte-order mark.
std::string_view ReadItemLine(TextStream& stream, int count) {
    const std::string_view line = stream.ReadLineView();
    return count == 0 ? WithoutByteOrderMark(line) : line;
}

// Counts the lines of a stream, raising TooManyLines past lastLineNumber; with check, every line is checked and a
// line that cannot be converted raises its error with the line's number.
int CountLinesOf(TextStream& stream, int lastLineNumber, bool check = false) {
    int count = 0;
    while (!stream.AtEndOfStream()) {
        if (count == lastLineNumber) {
            throw Error(ErrorKind::TooManyLines, stream.Path() + ": more lines than a line number can hold");
        }
        try {
            const std::string_view line = ReadItemLine(stream, count++);
            if (check) {
                CheckYzLine(line);
            }
        } catch (Error& error) {
            error.SetLineNumber(count);
            throw;
        } catch (const ItemError& itemError) {
            Error error(itemError.ItemKind() == ItemError::Kind::MissingField ? ErrorKind::MissingField
                                                                              : ErrorKind::ShowFieldTooShort,
                        itemError.what());
            error.SetLineNumber(count);
            throw error;
        }
    }
    return count;
}

// What the first pass saw of the whole file: its state, and a digest of its bytes.
struct FirstReading {
    FileStamp stamp;
    std::uint64_t digest;
};

// The second pass: converts the count lines that the first pass checked into output. Anything that differs from
// the first pass, in the lines, in the bytes read or in the file's state, means the input changed meanwhile; it is
// found before the output is put in place.
void ConvertInto(TextStream& input, int count, const FirstReading& first, const std::string& inputPath,
                 TextStream& output) {
    input.Rewind();
    std::string piece;
    try {
        for (int i = 0; i < count; ++i) {
            AppendYzLineToRK(ReadItemLine(input, i), piece);
            piece += kCrLf;
            if (piece.size() >= kPieceSize) {
                output.Write(piece);
                piece.clear();
            }
        }
    } catch (const ItemError&) {
        // A line that converted before fails now.
        throw InputChanged(inputPath);
    } catch (const Error& error) {
        if (error.Kind() == ErrorKind::CannotWrite || error.Kind() == ErrorKind::CannotOpen) {
            throw;
        }
        // The file ends early, or a line has grown too long.
        throw InputChanged(inputPath);
    }
    if (!input.AtEndOfStream() || input.ReadDigest() != first.digest || input.Stamp() != first.stamp) {
        throw InputChanged(inputPath);
    }
    output.Write(piece);
}

std::string ChooseSavePath(const std::string& description, const std::string& fileName, CommonDialog* dialog) {
    if (dialog == nullptr) {
        throw Error(ErrorKind::NoPlaceChosen, "no Save dialog is available");
    }
    dialog->DialogTitle = kSaveDialogTitle;
    dialog->Filter = description + " (" + fileName + ") | " + fileName;
    dialog->FileName = fileName;
    // A name typed without an extension gets the file name's own.
    dialog->DefaultExt = fileName.substr(fileName.rfind('.') + 1);
    if (!dialog->ShowSave()) {
        throw Error(ErrorKind::NoPlaceChosen, "no place was chosen for the output file");
    }
    return dialog->FileName;
}

// An existing folder named without its trailing separator gets one, so that the file goes into it, not beside it;
// a value whose last part is the file name itself names that file.
std::string OutputPath(const std::string& directory, const std::string& fileName, FileSystemObject& files) {
    const bool separated = directory.empty() || directory.back() == '/' || directory.back() == kNativeSeparator;
    if (!separated && files.FolderExists(directory)) {
        return directory + kNativeSeparator + fileName;
    }
    const std::size_t lastPart = directory.find_last_of(std::string{'/', kNativeSeparator}) + 1; // npos + 1 is 0
    if (std::string_view(directory).substr(lastPart) == fileName) {
        return directory;
    }
    return directory + fileName;
}

// The failures of a place to write to, after which another place is tried; any other failure ends the run.
bool IsPlaceFailure(const Error& error) {
    return error.Kind() == ErrorKind::CannotWrite || error.Kind() == ErrorKind::NoPlaceChosen;
}

} // namespace

FileSystemObject& RunContext::Files() const {
    return files != nullptr ? *files : SystemFiles();
}

int CountLines(const std::string& path, FileSystemObject& files) {
    TextStream stream = files.OpenTextFile(path);
    return CountLinesOf(stream, std::numeric_limits<int>::max());
}

std::string GetLine(const std::string& path, int n, FileSystemObject& files) {
    TextStream stream = files.OpenTextFile(path);
    // A number below 1 never meets the counter, so the walk runs off the end and fails there.
    for (int i = 1; i != n; ++i) {
        stream.SkipLine();
    }
    return stream.ReadLine();
}

SavedFile RunYzToRK(const std::string& inputPath, const std::optional<std::string>& directory,
                    const RunContext& context) {
    TextStream input = context.Files().OpenTextFile(inputPath);
    const FileStamp stamp = input.Stamp();
    int count = 0;
    try {
        count = CountLinesOf(input, context.lastLineNumber, true);
    } catch (const Error& error) {
        // A line cut short because the file was cut meanwhile is not the list's fault.
        if (error.LineNumber() != 0 && input.Stamp() != stamp) {
            throw InputChanged(inputPath);
        }
        throw;
    }
    if (input.Stamp() != stamp) {
        throw InputChanged(inputPath);
    }
    const FirstReading first{stamp, input.ReadDigest()};
    return SaveOutput([&](TextStream& output) { ConvertInto(input, count, first, inputPath, output); },
                      kOutputDescription, kOutputFileName, directory, context, inputPath);
}

SavedFile SaveOutput(const TextWriter& write, const std::string& description, const std::string& fileName,
                     const std::optional<std::string>& directory, const RunContext& context, const std::string& avoid) {
    FileSystemObject& files = context.Files();
    const auto writeAt = [&](const std::string& path) {
        if (!avoid.empty() && files.SameFile(path, avoid)) {
            throw Error(ErrorKind::CannotWrite, path + kIsTheInput);
        }
        TextStream stream = files.CreateTextFile(path);
        write(stream);
        // The file is in place: what went wrong after that is worth a line, not a failure.
        if (const std::string warning = stream.Close(); !warning.empty()) {
            context.messageBox.Detail("Tarvenne: " + warning);
        }
    };

    std::string firstFailure;
    try {
        const std::string path =
            directory ? OutputPath(*directory, fileName, files) : ChooseSavePath(description, fileName, context.dialog);
        writeAt(path);
        return {path, false};
    } catch (const Error& error) {
        if (error.Kind() == ErrorKind::CannotWrite) {
            firstFailure = error.what();
        } else if (error.Kind() != ErrorKind::NoPlaceChosen) {
            throw;
        }
    }
    const std::string path = context.applicationDirectory + kNativeSeparator + fileName;
    // The message keeps its words for every failure; why the place failed, and where the file goes now, follow it.
    std::string detail = firstFailure.empty() ? "" : kFirstPlaceFailed + WithoutFinalStop(firstFailure) + ".\r\n";
    context.messageBox.MsgBoxWithDetail(kFallbackMessage, MsgBoxStyle::OkOnly, detail + kSavingAs + path + ".");
    try {
        writeAt(path);
    } catch (const Error& error) {
        if (!IsPlaceFailure(error) || firstFailure.empty()) {
            throw;
        }
        // Both places and both reasons, for the message that reports the failure.
        throw Error(error.Kind(), WithoutFinalStop(firstFailure) + "; then " + error.what());
    }
    return {path, true};
}

} // namespace modCommands
