// Text files: what a line is, reading across buffer boundaries, and writing without losing the old file.
#include "Error.h"
#include "FileSystemObject.h"
#include "TestFiles.h"

#include "ParamName.h"
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vector>

namespace {

using namespace std::string_literals;

std::vector<std::string> ReadAllLines(const std::string& path) {
    FileSystemObject fso;
    TextStream stream = fso.OpenTextFile(path);
    std::vector<std::string> lines;
    while (!stream.AtEndOfStream()) {
        lines.push_back(stream.ReadLine());
    }
    stream.Close();
    return lines;
}

ErrorKind KindOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.Kind();
    }
    ADD_FAILURE() << "no error";
    return ErrorKind::NoPlaceChosen;
}

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
        Lines{"LineLongerThanTheBuffer", std::string(3'000'000, 'z') + "\nq", {std::string(3'000'000, 'z'), "q"}}),
    ParamName<Lines>);

TEST(TextStream, ReadingPastTheEndIsAnError) {
    TempDir dir;
    WriteFile(dir / "in", "one\r\n");
    FileSystemObject fso;
    TextStream stream = fso.OpenTextFile(dir / "in");
    stream.SkipLine();
    EXPECT_TRUE(stream.AtEndOfStream());
    EXPECT_EQ(KindOf([&] { stream.ReadLine(); }), ErrorKind::EndOfStream);
    EXPECT_EQ(KindOf([&] { stream.SkipLine(); }), ErrorKind::EndOfStream);
}

TEST(TextStream, OpensOnlyRegularFiles) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    FileSystemObject fso;
    for (const std::string& path : {dir / "missing", std::string(), dir / "folder", dir / "fifo"}) {
        EXPECT_EQ(KindOf([&] { fso.OpenTextFile(path); }), ErrorKind::CannotOpen) << path;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

TEST(TextStream, WritingReplacesTheFileOnlyWhenClosed) {
    TempDir dir;
    WriteFile(dir / "out", "old content that is longer");
    FileSystemObject fso;
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

TEST(TextStream, KeepsTheModeOfAReplacedFileAndGivesNewFilesTheUsualOne) {
    TempDir dir;
    WriteFile(dir / "old", "");
    ::chmod((dir / "old").c_str(), 0640);
    const mode_t mask = ::umask(022);
    FileSystemObject fso;
    for (const char* name : {"old", "new"}) {
        TextStream stream = fso.CreateTextFile(dir / name);
        stream.Close();
    }
    ::umask(mask);
    struct stat info {};
    ::stat((dir / "old").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640U);
    ::stat((dir / "new").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0644U);
}

TEST(TextStream, WritingThroughALinkReplacesTheFileItPointsTo) {
    TempDir dir;
    std::filesystem::create_directory(dir / "real");
    WriteFile(dir / "real/list", "old");
    std::filesystem::create_symlink("real/list", dir / "link");
    FileSystemObject fso;
    TextStream stream = fso.CreateTextFile(dir / "link");
    stream.Write("new");
    stream.Close();
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link"));
    EXPECT_EQ(ReadFile(dir / "real/list"), "new");
}

TEST(TextStream, RefusesPlacesItCannotWrite) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder");
    WriteFile(dir / "file", "keep");
    FileSystemObject fso;
    for (const std::string& path : {dir / "folder", dir / "missing/out", dir / "file/out", std::string()}) {
        EXPECT_EQ(KindOf([&] { fso.CreateTextFile(path); }), ErrorKind::CannotWrite) << path;
    }
    EXPECT_EQ(ReadFile(dir / "file"), "keep");
    EXPECT_EQ(ListDirectory(dir.Path()), "file folder");
    EXPECT_EQ(ListDirectory(dir / "folder"), "");
}

} // namespace
