// Text files on POSIX: FIFOs, permission bits and symbolic links.
#include "Error.h"
#include "FileSystemObject.h"
#include "StreamTestSupport.h"
#include "TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// A FIFO without a writer would block a reader: it is turned down at once.
TEST(PosixTextStream, RefusesAFifo) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    FileSystemObject& fso = SystemFiles();
    EXPECT_EQ(KindOf([&] { fso.OpenTextFile(dir / "fifo"); }), ErrorKind::CannotOpen);
    EXPECT_EQ(KindOf([&] { fso.CreateTextFile(dir / "fifo"); }), ErrorKind::CannotWrite);
}

TEST(PosixTextStream, KeepsTheModeOfAReplacedFileAndGivesNewFilesTheUsualOne) {
    TempDir dir;
    WriteFile(dir / "old", "");
    ::chmod((dir / "old").c_str(), 0640);
    const mode_t mask = ::umask(022);
    FileSystemObject& fso = SystemFiles();
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

TEST(PosixTextStream, WritingThroughALinkReplacesTheFileItPointsTo) {
    TempDir dir;
    std::filesystem::create_directory(dir / "real");
    WriteFile(dir / "real/list", "old");
    std::filesystem::create_symlink("real/list", dir / "link");
    FileSystemObject& fso = SystemFiles();
    TextStream stream = fso.CreateTextFile(dir / "link");
    stream.Write("new");
    stream.Close();
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link"));
    EXPECT_EQ(ReadFile(dir / "real/list"), "new");
}

} // namespace
