// Text files on every system: what a line is, reading across buffer boundaries, writing without losing the old
// file, names in any script, and bytes passing through unchanged.
#include "Error.h"
#include "FileSystemObject.h"
#include "ParamName.h"
#include "Process.h"
#include "StreamTestSupport.h"
#include "TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace std::string_literals;

struct Lines {
    const char* name;
    std::string content;
    std::vector<std::string> lines;
};

class TextStreamLines : public testing::TestWithParam<Lines> {};

TEST_P(TextStreamLines, AreReadAsExpected) {
    TempDir dir;
    WriteFile(dir / "in", GetParam().content);
    EXPECT_EQ(ReadAllLines(dir / "in"), GetParam().lines);
}

const std::string kNearlyABuffer(256 * 1024 - 1, 'x');
const std::string kThreeBuffers(3 * 256 * 1024, 'z');

INSTANTIATE_TEST_SUITE_P(
    Contents, TextStreamLines,
    testing::Values(
        Lines{"Empty", "", {}}, Lines{"NoFinalBreak", "a", {"a"}}, Lines{"FinalBreakStartsNoLine", "a\r\n", {"a"}},
        Lines{"CrLf", "a\r\nb", {"a", "b"}}, Lines{"LoneLf", "a\n\nb\n", {"a", "", "b"}},
        Lines{"LoneCr", "a\rb\r", {"a", "b"}}, Lines{"CrBeforeCrLf", "a\r\r\nb", {"a", "", "b"}},
        Lines{"LfCr", "a\n\r", {"a", ""}}, Lines{"OnlyBreaks", "\r\n\r\n", {"", ""}},
        Lines{"NulAndHighBytes", "a\0b\x80\xff\r\n"s, {"a\0b\x80\xff"s}},
        Lines{"CrLfAcrossTheBuffer", kNearlyABuffer + "\r\ny", {kNearlyABuffer, "y"}},
        Lines{"LoneCrAtTheBufferEnd", kNearlyABuffer + "\ry", {kNearlyABuffer, "y"}},
        Lines{"LineLongerThanTheBuffer", kThreeBuffers + "\nq", {kThreeBuffers, "q"}}),
    ParamName<Lines>);

TEST(TextStream, ReadingPastTheEndIsAnError) {
    TempDir dir;
    WriteFile(dir / "in", "one\r\n");
    FileSystemObject& fso = SystemFiles();
    TextStream stream = fso.OpenTextFile(dir / "in");
    stream.SkipLine();
    EXPECT_TRUE(stream.AtEndOfStream());
    EXPECT_EQ(KindOf([&] { stream.ReadLine(); }), ErrorKind::EndOfStream);
    EXPECT_EQ(KindOf([&] { stream.SkipLine(); }), ErrorKind::EndOfStream);
}

TEST(TextStream, OpensOnlyFilesThatExist) {
    TempDir dir;
    std::filesystem::create_directory(PathOf(dir / "folder"));
    FileSystemObject& fso = SystemFiles();
    for (const std::string& path : {dir / "missing", std::string(), dir / "folder"}) {
        EXPECT_EQ(KindOf([&] { fso.OpenTextFile(path); }), ErrorKind::CannotOpen) << path;
    }
    EXPECT_EQ(ListDirectory(dir.Path()), "folder");
}

TEST(TextStream, WritingReplacesTheFileOnlyWhenClosed) {
    TempDir dir;
    WriteFile(dir / "out", "old content that is longer");
    FileSystemObject& fso = SystemFiles();
    {
        TextStream stream = fso.CreateTextFile(dir / "out");
        stream.Write("new\r\n\xe9");
        EXPECT_EQ(ReadFile(dir / "out"), "old content that is longer");
        stream.Close();
    }
    EXPECT_EQ(ReadFile(dir / "out"), "new\r\n\xe9");
    {
        TextStream abandoned = fso.CreateTextFile(dir / "out");
        abandoned.Write("never closed");
    }
    EXPECT_EQ(ReadFile(dir / "out"), "new\r\n\xe9");
    EXPECT_EQ(ListDirectory(dir.Path()), "out");
}

TEST(TextStream, RefusesPlacesItCannotWrite) {
    TempDir dir;
    std::filesystem::create_directory(PathOf(dir / "folder"));
    WriteFile(dir / "file", "keep");
    FileSystemObject& fso = SystemFiles();
    const std::string inMissing = dir / "missing" + kNativeSeparator + "out";
    const std::string inFile = dir / "file" + kNativeSeparator + "out";
    for (const std::string& path : {dir / "folder", inMissing, inFile, std::string()}) {
        EXPECT_EQ(KindOf([&] { fso.CreateTextFile(path); }), ErrorKind::CannotWrite) << path;
    }
    EXPECT_EQ(ReadFile(dir / "file"), "keep");
    EXPECT_EQ(ListDirectory(dir.Path()), "file folder");
    EXPECT_EQ(ListDirectory(dir / "folder"), "");
}

// Close lets go of the file at once, also when the new file cannot be put in place: a stream kept afterwards holds
// neither the input open nor a new file on the disk, and writes nothing more.
TEST(TextStream, CloseReleasesTheFileEvenWhenItFails) {
    struct Released {
        bool& flag;
        ~Released() { flag = true; }
    };
    struct Reader : FileReader {
        explicit Reader(bool& flag) : released{flag} {}
        std::size_t ReadSome(char*, std::size_t) override { return 0; }
        void Rewind() override {}
        FileStamp Stamp() override { return {}; }
        Released released;
    };
    struct FailingWriter : FileWriter {
        explicit FailingWriter(bool& flag) : released{flag} {}
        void Write(std::string_view) override {}
        std::string Commit() override { throw Error(ErrorKind::CannotWrite, "out: the disk is full"); }
        Released released;
    };
    bool readerReleased = false;
    bool writerReleased = false;
    TextStream input(std::make_unique<Reader>(readerReleased), "in");
    TextStream output(std::make_unique<FailingWriter>(writerReleased), "out");
    input.Close();
    EXPECT_EQ(KindOf([&] { output.Close(); }), ErrorKind::CannotWrite);
    EXPECT_TRUE(readerReleased);
    EXPECT_TRUE(writerReleased);
    // Neither stream writes any more.
    EXPECT_EQ(KindOf([&] { input.Write("late"); }), ErrorKind::CannotWrite);
    EXPECT_EQ(KindOf([&] { output.Write("late"); }), ErrorKind::CannotWrite);
}

// Every byte value, repeated past one write slice, goes out and comes back as it was.
TEST(TextStream, BytesPassThroughUnchanged) {
    std::string everyByte;
    for (int value = 0; value < 256; ++value) {
        everyByte += static_cast<char>(value);
    }
    std::string text;
    for (int i = 0; i < 5000; ++i) {
        text += everyByte;
    }
    TempDir dir;
    WriteTextFile(dir / "out", text);
    EXPECT_EQ(ReadFile(dir / "out"), text);

    std::string line;
    for (const char c : everyByte) {
        if (c != '\r' && c != '\n') {
            line += c;
        }
    }
    WriteFile(dir / "in", line + "\r\n" + line);
    EXPECT_EQ(ReadAllLines(dir / "in"), (std::vector<std::string>{line, line}));
}

struct Name {
    const char* name;
    std::string text; // UTF-8
};

class TextStreamNames : public testing::TestWithParam<Name> {};

// Folders and files named in any script are found, read and written under exactly that name.
TEST_P(TextStreamNames, AreReadAndWritten) {
    TempDir dir;
    const std::string folder = dir / GetParam().text;
    std::filesystem::create_directory(PathOf(folder));
    const std::string input = folder + kNativeSeparator + GetParam().text + ".ini";
    const std::string output = folder + kNativeSeparator + GetParam().text + ".conf";
    WriteFile(input, "a\tb\r\n");
    EXPECT_EQ(ReadAllLines(input), (std::vector<std::string>{"a\tb"}));

    WriteTextFile(output, "old");
    WriteTextFile(output, "new");
    EXPECT_EQ(ReadFile(output), "new");
    EXPECT_EQ(ListDirectory(folder), GetParam().text + ".conf " + GetParam().text + ".ini");
}

INSTANTIATE_TEST_SUITE_P(Scripts, TextStreamNames,
                         testing::Values(Name{"Accents", "Liste d\xc3\xa9j\xc3\xa0 vu"},
                                         Name{"Cyrillic", "\xd0\xa1\xd0\xbf\xd0\xb8\xd1\x81\xd0\xbe\xd0\xba"},
                                         Name{"Cjk", "\xe9\xa0\x85\xe7\x9b\xae"},
                                         Name{"Emoji", "dock \xf0\x9f\x9a\x80"}),
                         ParamName<Name>);

} // namespace
