// The one error type of the program: a kind the callers can act on, and a detail for the user.
#pragma once

#include <stdexcept>
#include <string>

enum class ErrorKind {
    MissingField,      // an item line lacks a field the conversion needs
    ShowFieldTooShort, // an item line's show field has fewer than five characters
    CannotOpen,        // the input file is missing, unreadable or not a regular file
    EndOfStream,       // a line was asked for past the end of the file
    TooManyLines,      // the input has more lines than a line number can hold
    LineTooLong,       // an input line is longer than TextStream::kLongestLine
    CannotWrite,       // the output file could not be created, written or closed
    NoPlaceChosen,     // the Save dialog was cancelled or could not be shown
    InputChanged,      // the input file changed while it was being read
    Utf16Text,         // the input file is UTF-16 text, not 8-bit text
};

class Error : public std::runtime_error {
public:
    Error(ErrorKind kind, const std::string& detail) : std::runtime_error(detail), m_kind(kind) {}

    ErrorKind Kind() const { return m_kind; }

    // Number of the input line the error belongs to, or 0 when it belongs to no line.
    int LineNumber() const { return m_lineNumber; }
    void SetLineNumber(int lineNumber) { m_lineNumber = lineNumber; }

private:
    ErrorKind m_kind;
    int m_lineNumber = 0;
};

// The system's own words for an error number: an errno value on POSIX, a GetLastError value on Windows.
std::string SystemReason(int errorNumber);

// An error about a file: its path and the system's reason for errorNumber.
inline Error FileError(ErrorKind kind, const std::string& path, int errorNumber) {
    return Error(kind, path + ": " + SystemReason(errorNumber));
}
