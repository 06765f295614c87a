// The conversion run over files kept in memory: line numbering, one open input read twice, where SaveOutput puts
// the file, and every way a place or the input can fail.
#include "modCommands.h"
#include "Error.h"
#include "Fakes.h"
#include "MemoryFiles.h"
#include "ParamName.h"
#include "Process.h"
#include "WorkedExample.h"

#include <gtest/gtest.h>

namespace {

using namespace modCommands;
using Failure = MemoryFiles::Failure;

const std::string kFallbackMessage = "No directory selected. Saving in application directory.";
const std::string kInput = "/dock/itemlist.ini";
const std::string kOut = "/out/itemlist.conf";
// The run joins the application directory and a folder named without its separator with the system's separator.
const std::string kApp = std::string("/app") + kNativeSeparator + "itemlist.conf";

class RunTest : public testing::Test {
protected:
    MemoryFiles m_files;
    FakeMessageBox m_box;
    FakeDialog m_dialog;
    RunContext m_context{m_box, &m_dialog, "/app", &m_files};

    void SetUp() override {
        m_files.MakeFolder("/out");
        m_files.Put(kOut, "old");
    }
    void TearDown() override { EXPECT_EQ(m_files.OpenStreams(), 0); }

    // The run's error, or a test failure when it raises none.
    Error ErrorOfRun(const std::optional<std::string>& directory = "/out/") {
        try {
            RunYzToRK(kInput, directory, m_context);
        } catch (const Error& error) {
            return error;
        }
        ADD_FAILURE() << "no error";
        return Error(ErrorKind::NoPlaceChosen, "");
    }
};

TEST_F(RunTest, CountLinesAndGetLineAgree) {
    for (const std::string content : {"", "a", "a\r\n", "a\r\n\r\n", "a\nb\rc\r\nd", "\r\r\n\n", "x\r"}) {
        m_files.Put(kInput, content);
        const int count = CountLines(kInput, m_files);
        std::string joined;
        for (int i = 1; i <= count; ++i) {
            joined += GetLine(kInput, i, m_files) + "|";
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
            EXPECT_THROW(GetLine(kInput, beyond, m_files), Error) << beyond;
        }
    }
}

TEST_F(RunTest, JoinsTheBlocksEachFollowedByOneLineBreak) {
    m_files.Put(kInput, kItem + "\r\nsep\r\n\r\n" + kItem + "\r\n\r\n");
    const SavedFile saved = RunYzToRK(kInput, "/out/", m_context);
    EXPECT_EQ(saved.path, kOut);
    EXPECT_FALSE(saved.inApplicationDirectory);
    EXPECT_EQ(m_files.Get(kOut), kItemBlock + kSepBlock + "\r\n" + kItemBlock + "\r\n");
    EXPECT_TRUE(m_box.shown.empty());
    EXPECT_TRUE(m_dialog.shown.empty());
}

TEST_F(RunTest, EmptyInputGivesAnEmptyFileThatReplacesTheOldOne) {
    m_files.Put(kInput, "");
    RunYzToRK(kInput, "/out/", m_context);
    EXPECT_EQ(m_files.Get(kOut), "");
}

// The directory value and the file name are joined as they stand, except that an existing folder named without its
// separator gets one.
TEST_F(RunTest, TheDirectoryValueNamesThePlace) {
    m_files.Put(kInput, "sep");
    m_files.MakeFolder("/out/sub");
    using Case = std::pair<std::string, std::string>;
    const std::string sep(1, kNativeSeparator);
    for (const auto& [directory, path] :
         {Case{"/out", "/out" + sep + "itemlist.conf"}, Case{"/out/sub", "/out/sub" + sep + "itemlist.conf"},
          Case{"/out/x", "/out/xitemlist.conf"}, Case{"", "itemlist.conf"},
          // A value whose last part is the file's name names the file itself, unless it is a folder.
          Case{"/out/itemlist.conf", "/out/itemlist.conf"}, Case{"itemlist.conf", "itemlist.conf"},
          Case{"/out" + sep + "itemlist.conf", "/out" + sep + "itemlist.conf"},
          Case{"/out/my itemlist.conf", "/out/my itemlist.confitemlist.conf"}}) {
        EXPECT_EQ(RunYzToRK(kInput, directory, m_context).path, path) << directory;
        EXPECT_EQ(m_files.Get(path), kSepBlock) << directory;
    }
}

TEST_F(RunTest, ALineThatCannotBeConvertedStopsTheRunBeforeAnyPlaceIsChosen) {
    using Case = std::tuple<std::string, int, ErrorKind>;
    for (const auto& [content, line, kind] :
         {Case{"sep\r\n" + kItem + "\r\nbad\t\r\n" + kItem, 3, ErrorKind::MissingField},
          Case{"A\tx\ta\t-\t\tshow\t1", 1, ErrorKind::ShowFieldTooShort}}) {
        m_files.Put(kInput, content);
        const Error error = ErrorOfRun(std::nullopt);
        EXPECT_EQ(error.Kind(), kind);
        EXPECT_EQ(error.LineNumber(), line);
    }
    EXPECT_TRUE(m_dialog.shown.empty());
    EXPECT_TRUE(m_box.shown.empty());
    EXPECT_EQ(m_files.List(), "/dock/itemlist.ini /out/itemlist.conf");
}

// Line numbers stop at the last one a number can hold, never running over into negative ones.
TEST_F(RunTest, AnInputLongerThanTheLastLineNumberIsRefused) {
    m_context.lastLineNumber = 3;
    m_files.Put(kInput, "a\nb\nc\n");
    RunYzToRK(kInput, "/out/", m_context);
    EXPECT_EQ(m_files.Get(kOut), Repeat(kSepBlock, 3));
    m_files.Put(kInput, "a\nb\nc\nd");
    EXPECT_EQ(ErrorOfRun().Kind(), ErrorKind::TooManyLines);
}

TEST_F(RunTest, MissingInputWritesNothing) {
    EXPECT_EQ(ErrorOfRun().Kind(), ErrorKind::CannotOpen);
    EXPECT_EQ(m_files.Get(kOut), "old");
}

TEST_F(RunTest, WithoutADirectoryTheSaveDialogChoosesThePlace) {
    m_files.Put(kInput, "sep");
    m_dialog.FileName = "left from before";
    m_dialog.answers = {"/out/picked.conf"};
    const SavedFile saved = RunYzToRK(kInput, std::nullopt, m_context);
    ASSERT_EQ(m_dialog.shown.size(), 1U);
    EXPECT_EQ(m_dialog.shown[0].kind, "save");
    EXPECT_EQ(m_dialog.shown[0].title, "Select where to save your file");
    EXPECT_EQ(m_dialog.shown[0].filter, "RK Launcher Itemlist (itemlist.conf) | itemlist.conf");
    EXPECT_EQ(m_dialog.shown[0].fileName, "itemlist.conf");
    EXPECT_EQ(m_dialog.shown[0].defaultExt, "conf");
    EXPECT_EQ(saved.path, "/out/picked.conf");
    EXPECT_EQ(m_files.Get(saved.path), kSepBlock);
    EXPECT_TRUE(m_box.shown.empty());
}

// Every way the first place can fail leads to the one message, why, and the application directory; the old file
// stays as it was.
struct PlaceCase {
    const char* name;
    std::optional<std::string> directory; // nothing: the Save dialog, which picks the answer
    std::string answer;
    std::optional<Failure> failure; // of every file under /out/
    std::string reason;             // the line in the box after the message; empty: none
};

class FailedPlace : public RunTest, public testing::WithParamInterface<PlaceCase> {};

TEST_P(FailedPlace, FallsBackToTheApplicationDirectory) {
    const PlaceCase& c = GetParam();
    m_files.Put(kInput, kItem + "\r\n" + kItem);
    m_files.MakeFolder("/out/folder/itemlist.conf");
    if (c.failure) {
        m_files.Fail("/out/", *c.failure, kItemBlock.size());
    }
    m_dialog.answers = {c.answer};
    const SavedFile saved = RunYzToRK(kInput, c.directory, m_context);
    EXPECT_TRUE(saved.inApplicationDirectory);
    EXPECT_EQ(saved.path, kApp);
    EXPECT_EQ(m_files.Get(kApp), Repeat(kItemBlock, 2));
    EXPECT_EQ(m_files.Get(kOut), "old");
    EXPECT_EQ(m_files.Get(kInput), kItem + "\r\n" + kItem);
    ASSERT_EQ(m_box.shown.size(), 1U);
    const std::string reason =
        c.reason.empty() ? "" : "The output file could not be written there: " + c.reason + "\r\n";
    EXPECT_EQ(m_box.shown[0].prompt, kFallbackMessage + "\r\n\r\n" + reason + "Saving it as " + kApp + ".");
    EXPECT_EQ(m_box.shown[0].style, MsgBoxStyle::OkOnly);
    EXPECT_EQ(m_box.shown[0].title, "Tarvenne");
}

INSTANTIATE_TEST_SUITE_P(
    Places, FailedPlace,
    testing::Values(
        PlaceCase{"Refused", "/out/", "", Failure::Refuse, "/out/itemlist.conf: refused."},
        PlaceCase{"DiskFull", "/out/", "", Failure::Write, "/out/itemlist.conf: no space left."},
        PlaceCase{"SyncFails", "/out/", "", Failure::Sync, "/out/itemlist.conf: the file could not be synced."},
        PlaceCase{"RenameFails", "/out/", "", Failure::Rename,
                  "/out/itemlist.conf: the file could not be put in place."},
        PlaceCase{"TargetIsAFolder", "/out/folder/", "", std::nullopt, "/out/folder/itemlist.conf: refused."},
        PlaceCase{"SaveOverTheInput", std::nullopt, kInput, std::nullopt,
                  kInput + ": this is the item list being converted."},
        PlaceCase{"DialogCancelled", std::nullopt, "", std::nullopt, ""}),
    ParamName<PlaceCase>);

TEST_F(RunTest, WithoutADialogTheFileGoesToTheApplicationDirectory) {
    m_files.Put(kInput, "sep");
    m_context.dialog = nullptr;
    EXPECT_EQ(RunYzToRK(kInput, std::nullopt, m_context).path, kApp);
    EXPECT_EQ(m_box.shown.size(), 1U);
}

TEST_F(RunTest, WhenTheApplicationDirectoryFailsTooTheErrorNamesBothPlaces) {
    m_files.Put(kInput, "sep");
    m_files.Fail("/out/", Failure::Refuse);
    m_files.Fail("/app", Failure::Sync);
    const Error error = ErrorOfRun();
    EXPECT_EQ(error.Kind(), ErrorKind::CannotWrite);
    EXPECT_EQ(std::string(error.what()),
              "/out/itemlist.conf: refused; then " + kApp + ": the file could not be synced");
    EXPECT_EQ(m_box.shown.size(), 1U);
    EXPECT_EQ(m_files.List(), "/dock/itemlist.ini /out/itemlist.conf");
}

// Once the new file has its name it is written: a folder that cannot be made durable afterwards is a warning.
TEST_F(RunTest, AFolderNotSyncedAfterTheFileIsInPlaceIsOnlyAWarning) {
    m_files.Put(kInput, "sep");
    m_files.Fail("/out/", Failure::FolderSync);
    const SavedFile saved = RunYzToRK(kInput, "/out/", m_context);
    EXPECT_FALSE(saved.inApplicationDirectory);
    EXPECT_EQ(m_files.Get(kOut), kSepBlock);
    EXPECT_TRUE(m_box.shown.empty());
    EXPECT_EQ(m_box.details, std::vector<std::string>{"Tarvenne: /out/itemlist.conf: the folder could not be synced"});
    EXPECT_EQ(m_files.List(), "/dock/itemlist.ini /out/itemlist.conf");
}

// The input is opened once: a new file put in its place meanwhile (saved by rename) is not read, and a file changed
// in place between the two readings fails the run, whether the change shows in its size and time or only in its
// lines. Either way the result is the old list whole, or nothing.
struct ChangeCase {
    const char* name;
    std::string after; // what the input holds when it is read the second time
    bool inPlace;
    bool keepStamp;
};

class InputChanges : public RunTest, public testing::WithParamInterface<ChangeCase> {};

TEST_P(InputChanges, GiveTheOldListWholeOrNothing) {
    const ChangeCase& c = GetParam();
    const std::string before = kItem + "\r\nsep\r\n";
    m_files.Put(kInput, before);
    m_files.onRewind = [&](const std::string& path) {
        if (c.inPlace) {
            m_files.Change(path, c.after, c.keepStamp);
        } else {
            m_files.Put(path, c.after);
        }
    };
    if (!c.inPlace) {
        RunYzToRK(kInput, "/out/", m_context);
        EXPECT_EQ(m_files.Get(kOut), kItemBlock + kSepBlock);
        return;
    }
    const Error error = ErrorOfRun();
    EXPECT_EQ(error.Kind(), ErrorKind::InputChanged);
    EXPECT_EQ(std::string(error.what()), kInput + ": the file changed while it was being read");
    EXPECT_EQ(m_files.Get(kOut), "old");
    EXPECT_EQ(m_files.List(), "/dock/itemlist.ini /out/itemlist.conf");
    EXPECT_TRUE(m_box.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Changes, InputChanges,
                         testing::Values(ChangeCase{"SavedByRename", "sep\r\nsep\r\nsep\r\n", false, false},
                                         ChangeCase{"Grown", kItem + "\r\nsep\r\nsep\r\n", true, false},
                                         ChangeCase{"SameSizeNewTime", "sep\r\n" + kItem + "\r\n", true, false},
                                         ChangeCase{"MoreLinesSameStamp", kItem + "\r\ns\r\ns\r\n", true, true},
                                         ChangeCase{"FewerLinesSameStamp", kItem, true, true},
                                         ChangeCase{"ABadLineSameStamp", "bad\t\r\nsep\r\n", true, true},
                                         ChangeCase{"SameLinesSameStamp", "Z" + kItem.substr(1) + "\r\nsep\r\n", true,
                                                    true}),
                         ParamName<ChangeCase>);

} // namespace
