// The words for each way a conversion can fail, as both front ends show them.
#include "FailureMessage.h"

#include "Error.h"
#include "ParamName.h"

#include <gtest/gtest.h>
#include <new>

namespace {

struct ReasonCase {
    const char* name;
    ErrorKind kind;
    std::string detail;
    int lineNumber;
    std::string reason;
};

class FailureReasonTest : public testing::TestWithParam<ReasonCase> {};

TEST_P(FailureReasonTest, IsOneSentence) {
    Error error(GetParam().kind, GetParam().detail);
    error.SetLineNumber(GetParam().lineNumber);
    EXPECT_EQ(FailureReason(error), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FailureReasonTest,
    testing::Values(
        ReasonCase{"MissingField", ErrorKind::MissingField, "", 23, "Line 23 is missing a field."},
        ReasonCase{"ShowFieldTooShort", ErrorKind::ShowFieldTooShort, "", 2,
                   "Line 2 has a show field shorter than five characters."},
        ReasonCase{"EndOfStream", ErrorKind::EndOfStream, "", 5, "Line 5 could not be read: the file ended before it."},
        ReasonCase{"CannotOpen", ErrorKind::CannotOpen, "a.ini: No such file or directory", 0,
                   "The input file could not be read (a.ini: No such file or directory)."},
        // A reason that is a sentence of its own, as Windows gives them, does not end this one early.
        ReasonCase{"CannotOpenWithAFullStop", ErrorKind::CannotOpen, "a.ini: The system cannot find the file.", 0,
                   "The input file could not be read (a.ini: The system cannot find the file)."},
        ReasonCase{"TooManyLines", ErrorKind::TooManyLines, "", 0,
                   "The input file has more lines than can be converted."},
        ReasonCase{"LineTooLong", ErrorKind::LineTooLong, "", 7,
                   "Line 7 is longer than 64 MiB, the longest line that can be converted."},
        ReasonCase{"CannotWriteEitherPlace", ErrorKind::CannotWrite, "x.conf: Disk full; then y.conf: Access denied.",
                   0, "The output file could not be written (x.conf: Disk full; then y.conf: Access denied)."},
        ReasonCase{"NoPlaceChosen", ErrorKind::NoPlaceChosen, "", 0, "No place was chosen for the output file."},
        ReasonCase{"InputChanged", ErrorKind::InputChanged, "", 0, "The input file changed while it was being read."}),
    ParamName<ReasonCase>);

TEST(FailureMessage, NamesTheInputAndSaysWhyForAnyError) {
    EXPECT_EQ(FailureReason(std::bad_alloc()), "There was not enough memory to convert it.");
    EXPECT_EQ(FailureReason(std::runtime_error("something odd")), "something odd.");
    EXPECT_EQ(FailureMessage("C:\\a.ini", "Line 1 is missing a field."),
              "The conversion failed; nothing was written.\r\n\r\nInput file: C:\\a.ini\r\nLine 1 is missing a field.");
}

} // namespace
