// The fault matrix on Windows: devices and pipes as input, read-only and held files as output, paths in any
// script, and the boxes the program shows for each outcome, with their titles.
#include "FaultMatrix.h"
#include "ParamName.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace {

std::wstring Wide(const std::string& utf8) {
    return PathOf(utf8).wstring();
}

void SetReadOnly(const std::string& path, bool readOnly) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << path;
    const DWORD changed = readOnly ? attributes | FILE_ATTRIBUTE_READONLY : attributes & ~FILE_ATTRIBUTE_READONLY;
    ASSERT_TRUE(::SetFileAttributesW(Wide(path).c_str(), changed)) << path;
}

// Inputs that are not files to read: each is turned down, and none makes the program wait.
struct DeviceInput {
    const char* name;
    std::string path; // {pipe} stands for a named pipe the test holds open
};

class DeviceInputs : public FaultMatrix, public testing::WithParamInterface<DeviceInput> {};

TEST_P(DeviceInputs, AreTurnedDown) {
    std::string input = GetParam().path;
    HANDLE pipe = INVALID_HANDLE_VALUE;
    if (input == "{pipe}") {
        input = "\\\\.\\pipe\\tarvenne_test_" + std::to_string(::GetCurrentProcessId());
        pipe = ::CreateNamedPipeW(Wide(input).c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_NOWAIT,
                                  PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr);
        ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    } else if (input == "{directory}") {
        input = m_dir / "folder";
        std::filesystem::create_directory(PathOf(input));
    }
    ExpectFailure(input, "The input file could not be read (");
    if (pipe != INVALID_HANDLE_VALUE) {
        ::CloseHandle(pipe);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, DeviceInputs,
                         testing::Values(DeviceInput{"Nul", "NUL"}, DeviceInput{"Con", "CON"},
                                         DeviceInput{"Com1", "COM1"}, DeviceInput{"NulInAFolder", "C:\\NUL"},
                                         DeviceInput{"Pipe", "{pipe}"}, DeviceInput{"Directory", "{directory}"},
                                         DeviceInput{"Missing", "C:\\no such folder\\itemlist.ini"}),
                         ParamName<DeviceInput>);

// Each outcome's boxes, as a user sees them: the application title and the text. Which icon each shows is tested
// in-process, by the style each is shown with and the flags each style maps to.
TEST_F(FaultMatrix, EachOutcomeShowsItsBoxes) {
    const ShownBox confirmation{"Tarvenne", "New file written to " + m_out};
    const ShownBox commandLineError{"Tarvenne", "Error in command line arguments. Full program will run."};

    ProgramResult result = Convert(m_input, m_out, {}, false);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.boxes, std::vector<ShownBox>{confirmation});
    EXPECT_FALSE(result.mainWindowShown);

    result = Convert(m_dir / "missing.ini", m_out, {}, false);
    EXPECT_EQ(result.status, 1);
    ASSERT_EQ(result.boxes.size(), 1U);
    EXPECT_EQ(result.boxes[0].title, "Tarvenne");
    EXPECT_TRUE(result.boxes[0].text.starts_with("The conversion failed; nothing was written.\r\n\r\nInput file: "));

    result = Convert(m_input, m_dir / "missing" + kNativeSeparator, {}, false);
    EXPECT_EQ(result.status, 3);
    const ShownBox inApplicationDirectory{"Tarvenne", "New file written to " + m_app + kNativeSeparator};
    ASSERT_EQ(result.boxes.size(), 2U);
    // The fallback box says why the place failed and where the file goes now.
    EXPECT_EQ(result.boxes[0].title, "Tarvenne");
    EXPECT_TRUE(result.boxes[0].text.starts_with(
        "No directory selected. Saving in application directory.\r\n\r\nThe output file could not be written "
        "there: " +
        m_dir / "missing" + kNativeSeparator + "itemlist.conf: "))
        << result.boxes[0].text;
    EXPECT_TRUE(result.boxes[0].text.ends_with(".\r\nSaving it as " + InApp("itemlist.conf") + "."))
        << result.boxes[0].text;
    EXPECT_EQ(result.boxes[1], inApplicationDirectory);

    result = RunText("-in " + m_input + " -out " + m_out);
    EXPECT_EQ(result.boxes, std::vector<ShownBox>{commandLineError});
    EXPECT_TRUE(result.mainWindowShown);
    EXPECT_EQ(result.windows, std::vector<std::string>{"Tarvenne"});
    EXPECT_EQ(result.status, 0);
}

// A read-only itemlist.conf is not overwritten: that place fails, and the application directory takes the file.
TEST_F(FaultMatrix, AReadOnlyOutputIsLeftAlone) {
    SetReadOnly(m_out + "itemlist.conf", true);
    const ProgramResult result = Convert(m_input, m_out);
    SetReadOnly(m_out + "itemlist.conf", false);
    ExpectFellBack(result);
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
}

TEST_F(FaultMatrix, WhenNeitherPlaceCanBeWrittenNothingIsLost) {
    WriteFile(InApp("itemlist.conf"), kPrecious);
    SetReadOnly(m_out + "itemlist.conf", true);
    SetReadOnly(InApp("itemlist.conf"), true);
    const ProgramResult result = Convert(m_input, m_out);
    SetReadOnly(m_out + "itemlist.conf", false);
    SetReadOnly(InApp("itemlist.conf"), false);
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.out.starts_with(kFallback + "\nThe output file could not be written there: " + m_out +
                                       "itemlist.conf: the file is read-only.\n"))
        << result.out;
    EXPECT_TRUE(result.err.starts_with(kFailed)) << result.err;
    // Both places, each with its reason.
    EXPECT_NE(result.err.find("The output file could not be written (" + m_out + "itemlist.conf: "), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("; then " + InApp("itemlist.conf") + ": "), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
    EXPECT_EQ(ReadFile(InApp("itemlist.conf")), kPrecious);
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
    EXPECT_EQ(ListDirectory(m_app), "itemlist.conf " + kTarvenneFileName);
}

// Another program holding itemlist.conf for good (no sharing at all): after a short wait that place fails, and the
// held file is as it was.
TEST_F(FaultMatrix, AnOutputHeldByAnotherProgramFallsBackInTime) {
    HANDLE held = ::CreateFileW(Wide(m_out + "itemlist.conf").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const ProgramResult result = Convert(m_input, m_out);
    ::CloseHandle(held);
    ExpectFellBack(result);
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
}

// Paths in any script: the input, the output directory and the application directory, with the same bytes out.
TEST_F(FaultMatrix, PathsInAnyScript) {
    const std::string folder =
        "Dock \xC3\xA9t\xC3\xA9 \xD0\x9A\xD0\xB8\xD1\x80 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
    const std::string in = m_dir / folder;
    const std::string app = m_dir / ("app " + folder);
    std::filesystem::create_directory(PathOf(in));
    std::filesystem::create_directory(PathOf(app));
    const std::string input = in + kNativeSeparator + "itemlist.ini";
    const std::string bytes = "N\xE9m\xE9\tx\ta\t-\t\t12345\xD0\x9A\t1\r\n";
    WriteFile(input, bytes);
    const std::string out = in + kNativeSeparator;

    ProgramResult result = Convert(input, out, {}, false);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "New file written to " + out + "\n");
    EXPECT_EQ(ReadFile(out + "itemlist.conf"), "[RKDockItem]\r\nname = N\xE9m\xE9\r\nshow = \xD0\x9A\r\n\r\n");

    const std::string exe = CopyOfTarvenne(app);
    result = RunProgram(exe, {"-in", input, "-out", m_dir / "missing" + kNativeSeparator, "-type", "yzrk"});
    EXPECT_EQ(result.status, 3);
    EXPECT_TRUE(result.out.starts_with(kFallback)) << result.out;
    EXPECT_TRUE(result.out.ends_with("Saving it as " + app + kNativeSeparator + "itemlist.conf.\nNew file written to " +
                                     app + kNativeSeparator + "\n"))
        << result.out;
    EXPECT_EQ(ReadFile(app + kNativeSeparator + "itemlist.conf"), ReadFile(out + "itemlist.conf"));
}

// Paths quoted as Windows programs hand them over, a trailing backslash doubled before the closing quote, with spaces
// and in any script: the quotes go, and the bytes come through.
TEST_F(FaultMatrix, QuotedPathsConvert) {
    const std::string in = m_dir / "Dock \xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC";
    std::filesystem::create_directory(PathOf(in));
    const std::string input = in + "\\item list.ini";
    WriteFile(input, kItem + "\r\n");
    const ProgramResult result = RunText("-in \"" + input + "\" -out \"" + in + "\\\\\" -type yzrk -s");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadFile(in + "\\itemlist.conf"), kItemBlock);
}

// A quotation mark at one end only stays part of the path; when it then names no file, the message says paths need
// none.
TEST_F(FaultMatrix, AStrayQuoteGetsAWordAboutQuotes) {
    const ProgramResult result = RunText("-in \"" + m_input + " -out " + m_out + " -type yzrk -s");
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.err.ends_with("\nPaths need no quotation marks, even with spaces.\n")) << result.err;
    ExpectNothingChanged();
}

// The longest command line Windows passes on: the junk after the type changes nothing.
TEST_F(FaultMatrix, ACommandLineAtTheSystemsLimit) {
    const std::string head = "-in " + m_input + " -out " + m_out + " -type yzrk -x ";
    const std::string junk(32000 - head.size() - m_exe.size(), 'j');
    const ProgramResult result = RunText(head + junk + " -s");
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kItemBlock);
}

} // namespace
