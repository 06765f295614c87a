// The conversion run: line numbering, the joined text, and where SaveOutput puts the file.
#include "modCommands.h"
#include "Error.h"
#include "Fakes.h"
#include "Process.h"
#include "TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace modCommands;

const std::string kFallbackMessage = "No directory selected. Saving in application directory.";
const std::string kItem = "Editor\ttype.app\tC:\\e.exe\t-\t\t12345normal\t1";
const std::string kItemBlock =
    "[RKDockItem]\r\ntype = shortcut\r\nname = Editor\r\nlink = C:\\e.exe\r\nshow = normal\r\n";
const std::string kSeparatorBlock = "[RKDockItem]\r\ntype = separator\r\nshow = normal\r\n";

class RunTest : public testing::Test {
protected:
    TempDir m_dir;
    FakeMessageBox m_box;
    FakeDialog m_dialog;
    std::string m_appDir = m_dir / "app";
    RunContext m_context{m_box, &m_dialog, m_appDir};

    void SetUp() override {
        std::filesystem::create_directory(m_appDir);
        std::filesystem::create_directory(m_dir / "out");
    }
    std::string Input(const std::string& content) {
        WriteFile(m_dir / "in.ini", content);
        return m_dir / "in.ini";
    }
};

TEST_F(RunTest, CountLinesAndGetLineAgree) {
    for (const std::string content : {"", "a", "a\r\n", "a\r\n\r\n", "a\nb\rc\r\nd", "\r\r\n\n", "x\r"}) {
        const std::string path = Input(content);
        const int count = CountLines(path);
        std::string joined;
        for (int i = 1; i <= count; ++i) {
            joined += GetLine(path, i) + "|";
        }
        // Every line break, whatever its kind, counts once.
        std::string expected;
        for (std::size_t i = 0; i < content.size(); ++i) {
            const bool crOfCrLf = content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n';
            if (!crOfCrLf) {
                expected += content[i] == '\r' || content[i] == '\n' ? '|' : content[i];
            }
        }
        if (!expected.empty() && expected.back() != '|') {
            expected += '|';
        }
        EXPECT_EQ(joined, expected) << testing::PrintToString(content);
        for (const int beyond : {count + 1, 0, -1}) {
            EXPECT_THROW(GetLine(path, beyond), Error) << beyond;
        }
    }
}

TEST_F(RunTest, JoinsTheBlocksEachFollowedByOneLineBreak) {
    const std::string path = Input(kItem + "\r\nsep\r\n\r\n" + kItem + "\r\n\r\n");
    const SavedFile saved = RunYzToRK(path, m_dir / "out/", m_context);
    EXPECT_EQ(saved.path, m_dir / "out/itemlist.conf");
    EXPECT_FALSE(saved.inApplicationDirectory);
    EXPECT_EQ(ReadFile(saved.path), kItemBlock + "\r\n" + kSeparatorBlock + "\r\n\r\n" + kItemBlock + "\r\n\r\n");
    EXPECT_TRUE(m_box.shown.empty());
    EXPECT_TRUE(m_dialog.shown.empty());
}

TEST_F(RunTest, EmptyInputGivesAnEmptyFileThatReplacesTheOldOne) {
    WriteFile(m_dir / "out/itemlist.conf", "old");
    RunYzToRK(Input(""), m_dir / "out/", m_context);
    EXPECT_EQ(ReadFile(m_dir / "out/itemlist.conf"), "");
}

TEST_F(RunTest, DirectoryRunsStraightIntoTheFileName) {
    RunYzToRK(Input("sep"), m_dir / "out", m_context);
    EXPECT_EQ(ReadFile(m_dir / "outitemlist.conf"), kSeparatorBlock + "\r\n");
}

TEST_F(RunTest, ALineThatCannotBeConvertedStopsTheRunWithItsNumber) {
    WriteFile(m_dir / "out/itemlist.conf", "old");
    using Case = std::tuple<std::string, int, ErrorKind>;
    for (const auto& [content, line, kind] :
         {Case{"sep\r\n" + kItem + "\r\nbad\t\r\n" + kItem, 3, ErrorKind::MissingField},
          Case{"A\tx\ta\t-\t\tshow\t1", 1, ErrorKind::ShowFieldTooShort}}) {
        try {
            RunYzToRK(Input(content), m_dir / "out/", m_context);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_EQ(error.Kind(), kind);
            EXPECT_EQ(error.LineNumber(), line);
        }
    }
    EXPECT_EQ(ReadFile(m_dir / "out/itemlist.conf"), "old");
    EXPECT_EQ(ListDirectory(m_dir / "out"), "itemlist.conf");
    EXPECT_TRUE(m_box.shown.empty());
}

TEST_F(RunTest, MissingInputWritesNothing) {
    EXPECT_THROW(RunYzToRK(m_dir / "missing.ini", m_dir / "out/", m_context), Error);
    EXPECT_EQ(ListDirectory(m_dir / "out"), "");
}

TEST_F(RunTest, WithoutADirectoryTheSaveDialogChoosesThePlace) {
    m_dialog.FileName = "left from before";
    m_dialog.answers = {m_dir / "out/picked.conf"};
    const SavedFile saved = RunYzToRK(Input("sep"), std::nullopt, m_context);
    ASSERT_EQ(m_dialog.shown.size(), 1U);
    EXPECT_EQ(m_dialog.shown[0].kind, "save");
    EXPECT_EQ(m_dialog.shown[0].title, "Select where to save your file");
    EXPECT_EQ(m_dialog.shown[0].filter, "RK Launcher Itemlist (itemlist.conf) | itemlist.conf");
    EXPECT_EQ(m_dialog.shown[0].fileName, "itemlist.conf");
    EXPECT_EQ(saved.path, m_dir / "out/picked.conf");
    EXPECT_EQ(ReadFile(saved.path), kSeparatorBlock + "\r\n");
    EXPECT_TRUE(m_box.shown.empty());
}

// Every way the first place can fail leads to the one message and the application directory.
TEST_F(RunTest, AFailedPlaceFallsBackToTheApplicationDirectory) {
    std::filesystem::create_directory(m_dir / "out/itemlist.conf");
    const std::string input = Input("sep");
    struct Case {
        const char* name;
        std::optional<std::string> directory;
        CommonDialog* dialog;
    };
    for (const Case& c : {Case{"DirectoryMissing", m_dir / "nowhere/", &m_dialog},
                          Case{"TargetIsADirectory", m_dir / "out/", &m_dialog},
                          Case{"DialogCancelled", std::nullopt, &m_dialog}, Case{"NoDialog", std::nullopt, nullptr}}) {
        std::filesystem::remove(PathOf(m_appDir + kNativeSeparator + "itemlist.conf"));
        m_box.shown.clear();
        m_box.details.clear();
        const SavedFile saved = RunYzToRK(input, c.directory, {m_box, c.dialog, m_appDir});
        EXPECT_TRUE(saved.inApplicationDirectory) << c.name;
        EXPECT_EQ(saved.path, m_appDir + kNativeSeparator + "itemlist.conf") << c.name;
        EXPECT_EQ(ReadFile(saved.path), kSeparatorBlock + "\r\n") << c.name;
        ASSERT_EQ(m_box.shown.size(), 1U) << c.name;
        EXPECT_EQ(m_box.shown[0].prompt, kFallbackMessage);
        EXPECT_EQ(m_box.shown[0].style, MsgBoxStyle::OkOnly);
        EXPECT_EQ(m_box.shown[0].title, "Tarvenne");
        // Why the first place failed comes with it, naming that place when there was one.
        ASSERT_EQ(m_box.details.size(), 1U) << c.name;
        const std::string detail = "Tarvenne: the output file could not be written there: ";
        EXPECT_TRUE(m_box.details[0].starts_with(detail + (c.directory ? *c.directory + "itemlist.conf: " : "")))
            << m_box.details[0];
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir / "nowhere"));
}

TEST_F(RunTest, WhenTheApplicationDirectoryFailsTooTheErrorReachesTheCaller) {
    WriteFile(m_dir / "out/itemlist.conf", "old");
    std::filesystem::create_directory(PathOf(m_appDir + kNativeSeparator + "itemlist.conf"));
    try {
        SaveOutput("text", "RK Launcher Itemlist", "itemlist.conf", m_dir / "out/itemlist.conf/", m_context);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.Kind(), ErrorKind::CannotWrite);
        // Both places, the first one first.
        const std::string what = error.what();
        const std::size_t first = what.find(m_dir / "out/itemlist.conf/itemlist.conf");
        const std::size_t second = what.find("; then " + m_appDir + kNativeSeparator + "itemlist.conf");
        EXPECT_EQ(first, 0U) << what;
        EXPECT_NE(second, std::string::npos) << what;
    }
    EXPECT_EQ(m_box.shown.size(), 1U);
    EXPECT_EQ(ReadFile(m_dir / "out/itemlist.conf"), "old");
    EXPECT_EQ(ListDirectory(m_dir / "out"), "itemlist.conf");
    EXPECT_EQ(ListDirectory(m_appDir), "itemlist.conf");
}

} // namespace
