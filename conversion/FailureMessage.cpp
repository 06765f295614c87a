// The texts of a failed conversion.
#include "FailureMessage.h"

#include "Error.h"
#include "TextStream.h"
#include "YzLineToRK.h"

#include <new>

namespace {

constexpr const char* kNothingWritten = "The conversion failed; nothing was written.";
constexpr const char* kOutOfMemory = "There was not enough memory to convert it.";

} // namespace

std::string FailureReason(const std::exception& error) {
    if (const auto* known = dynamic_cast<const Error*>(&error)) {
        const std::string line = "Line " + std::to_string(known->LineNumber());
        switch (known->Kind()) {
        case ErrorKind::MissingField:
            return line + " is missing a field.";
        case ErrorKind::ShowFieldTooShort:
            return line + " has a show field shorter than five characters.";
        case ErrorKind::EndOfStream:
            return line + " could not be read: the file ended before it.";
        case ErrorKind::CannotOpen:
            return "The input file could not be read (" + WithoutFinalStop(error.what()) + ").";
        case ErrorKind::TooManyLines:
            return "The input file has more lines than can be converted.";
        case ErrorKind::LineTooLong:
            return line + " is longer than " + std::to_string(TextStream::kLongestLine / (1024 * 1024)) +
                   " MiB, the longest line that can be converted.";
        case ErrorKind::CannotWrite:
            return "The output file could not be written (" + WithoutFinalStop(error.what()) + ").";
        case ErrorKind::NoPlaceChosen:
            return "No place was chosen for the output file.";
        case ErrorKind::InputChanged:
            return "The input file changed while it was being read.";
        case ErrorKind::Utf16Text:
            return "The input file is saved as Unicode (UTF-16) text, which is not an item list. Save it again as "
                   "ANSI or UTF-8 text (in Notepad: File, Save As, Encoding) and convert that.";
        }
    } else if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
        return kOutOfMemory;
    }
    return WithoutFinalStop(error.what()) + ".";
}

std::string FailureMessage(const std::string& inputPath, const std::string& reason) {
    return kNothingWritten + std::string(modCommands::kCrLf) + modCommands::kCrLf + "Input file: " + inputPath +
           modCommands::kCrLf + reason;
}

std::string WithoutFinalStop(std::string reason) {
    reason.erase(reason.find_last_not_of(". ") + 1);
    return reason;
}
