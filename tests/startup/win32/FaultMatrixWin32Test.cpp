// The fault matrix on Windows. In-process, through the start-up form with the system's files and a fake message box:
// devices and pipes as input, read-only and held files as output. Against the real program: the boxes it shows for
// each outcome, paths in any script and quoted, and the longest command line.
#include "Fakes.h"
#include "FaultMatrix.h"
#include "ParamName.h"
#include "frmStart.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <windows.h>
#undef MessageBox

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

class NoWindow : public MainWindowLauncher {
public:
    bool ShowMainWindow(const std::string& /*inputPath*/) override {
        ADD_FAILURE() << "no window is due";
        return false;
    }
};

// A conversion run by the start-up form in this process, into an output directory that holds an itemlist.conf no
// failure may touch.
class FaultMatrixInProcess : public testing::Test {
protected:
    TempDir m_dir;
    std::string m_app = m_dir / "app";
    std::string m_out = m_dir / "out\\";
    std::string m_input = m_dir / "in put.ini";
    FakeMessageBox m_box;

    void SetUp() override {
        std::filesystem::create_directory(PathOf(m_app));
        std::filesystem::create_directory(PathOf(m_out));
        WriteFile(m_out + "itemlist.conf", kPrecious);
        WriteFile(m_input, kItem + "\r\n");
    }

    std::optional<int> Convert(const std::string& input, bool silent = true) {
        NoWindow launcher;
        m_box.shown.clear();
        frmStart start("-in " + input + " -out " + m_out + " -type yzrk" + (silent ? " -s" : ""), m_box, launcher,
                       m_app);
        return start.Form_Load();
    }

    // A failed conversion says why in an error box, with or without -s, and changes nothing.
    void ExpectFailure(const std::string& input, const std::string& reason) {
        for (const bool silent : {true, false}) {
            EXPECT_EQ(Convert(input, silent), 1);
            ASSERT_EQ(m_box.shown.size(), 1U);
            const ShownMessage& box = m_box.shown[0];
            EXPECT_EQ(box.style, MsgBoxStyle::Critical);
            EXPECT_TRUE(box.prompt.starts_with(
                "The conversion failed; nothing was written.\r\n\r\nInput file: " + input + "\r\n"))
                << box.prompt;
            EXPECT_NE(box.prompt.find(reason), std::string::npos) << box.prompt;
            ExpectNothingChanged();
        }
    }

    // The first place failed: the fallback box says why, the application directory took the file, and the old one
    // is as it was.
    void ExpectFellBack(std::optional<int> status, const std::string& why) {
        EXPECT_EQ(status, 3);
        ASSERT_EQ(m_box.shown.size(), 1U);
        EXPECT_TRUE(m_box.shown[0].prompt.starts_with(
            "No directory selected. Saving in application directory.\r\n\r\nThe output file could not be written "
            "there: " +
            m_out + "itemlist.conf: " + why))
            << m_box.shown[0].prompt;
        EXPECT_EQ(ReadFile(m_app + "\\itemlist.conf"), kItemBlock);
        EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
        EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
    }

    void ExpectNothingChanged() {
        EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
        EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
        EXPECT_EQ(ListDirectory(m_app), "");
    }
};

// Inputs that are not files to read: each is turned down, and none makes the program wait.
struct DeviceInput {
    const char* name;
    std::string path; // {pipe} stands for a named pipe the test holds open
};

class DeviceInputs : public FaultMatrixInProcess, public testing::WithParamInterface<DeviceInput> {};

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
    const ShownBox confirmation{"Tarvenne", "New file written to " + m_out + "itemlist.conf"};
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
    const ShownBox inApplicationDirectory{"Tarvenne", "New file written to " + InApp("itemlist.conf")};
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
    // The window closed, but the command line was not carried out: no success for a script.
    EXPECT_EQ(result.status, 2);
}

// A read-only itemlist.conf is not overwritten: that place fails, and the application directory takes the file.
TEST_F(FaultMatrixInProcess, AReadOnlyOutputIsLeftAlone) {
    SetReadOnly(m_out + "itemlist.conf", true);
    ExpectFellBack(Convert(m_input), "the file is read-only.");
    SetReadOnly(m_out + "itemlist.conf", false);
}

TEST_F(FaultMatrixInProcess, WhenNeitherPlaceCanBeWrittenNothingIsLost) {
    WriteFile(m_app + "\\itemlist.conf", kPrecious);
    SetReadOnly(m_out + "itemlist.conf", true);
    SetReadOnly(m_app + "\\itemlist.conf", true);
    EXPECT_EQ(Convert(m_input), 1);
    SetReadOnly(m_out + "itemlist.conf", false);
    SetReadOnly(m_app + "\\itemlist.conf", false);
    ASSERT_EQ(m_box.shown.size(), 2U);
    EXPECT_TRUE(m_box.shown[0].prompt.starts_with("No directory selected. Saving in application directory.\r\n"));
    // The failure names both places, each with its reason.
    const std::string& failure = m_box.shown[1].prompt;
    EXPECT_EQ(m_box.shown[1].style, MsgBoxStyle::Critical);
    EXPECT_TRUE(failure.starts_with("The conversion failed; nothing was written.\r\n")) << failure;
    EXPECT_NE(failure.find("The output file could not be written (" + m_out + "itemlist.conf: "), std::string::npos)
        << failure;
    EXPECT_NE(failure.find("; then " + m_app + "\\itemlist.conf: "), std::string::npos) << failure;
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
    EXPECT_EQ(ReadFile(m_app + "\\itemlist.conf"), kPrecious);
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
    EXPECT_EQ(ListDirectory(m_app), "itemlist.conf");
}

// Another program holding itemlist.conf for good (no sharing at all): after a short wait that place fails, and the
// held file is as it was.
TEST_F(FaultMatrixInProcess, AnOutputHeldByAnotherProgramFallsBackInTime) {
    HANDLE held = ::CreateFileW(Wide(m_out + "itemlist.conf").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::optional<int> status = Convert(m_input);
    ::CloseHandle(held);
    ExpectFellBack(status, "");
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
    EXPECT_EQ(result.out, "New file written to " + out + "itemlist.conf\n");
    EXPECT_EQ(ReadFile(out + "itemlist.conf"), "[RKDockItem]\r\nname = N\xE9m\xE9\r\nshow = \xD0\x9A\r\n\r\n");

    const std::string exe = CopyOfTarvenne(app);
    result = RunProgram(exe, {"-in", input, "-out", m_dir / "missing" + kNativeSeparator, "-type", "yzrk"});
    EXPECT_EQ(result.status, 3);
    EXPECT_TRUE(result.out.starts_with(kFallback)) << result.out;
    EXPECT_TRUE(result.out.ends_with("Saving it as " + app + kNativeSeparator + "itemlist.conf.\nNew file written to " +
                                     app + kNativeSeparator + "itemlist.conf\n"))
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
