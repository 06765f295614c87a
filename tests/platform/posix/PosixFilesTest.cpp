// Text files on POSIX: FIFOs, permission bits, symbolic links, and telling files apart.
#include "PosixFiles.h"
#include "Error.h"
#include "FileSystemObject.h"
#include "ParamName.h"
#include "StreamTestSupport.h"
#include "TestFiles.h"

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

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

// A folder's default ACL, where it has one, decides a new file's permissions instead of the umask.
TEST(PosixTextStream, GivesANewFileTheFoldersDefaultAcl) {
    TempDir dir;
    // user::rw- group::rw- other::---, as the kernel stores it.
    struct Entry {
        std::uint16_t tag;
        std::uint16_t permissions;
        std::uint32_t id;
    };
    const std::uint32_t version = 2;
    const Entry entries[] = {{0x01, 6, ~0U}, {0x04, 6, ~0U}, {0x20, 0, ~0U}};
    std::string acl(reinterpret_cast<const char*>(&version), sizeof version);
    acl.append(reinterpret_cast<const char*>(entries), sizeof entries);
    if (::setxattr(dir.Path().c_str(), "system.posix_acl_default", acl.data(), acl.size(), 0) != 0) {
        GTEST_SKIP() << "this file system takes no ACL";
    }
    const mode_t mask = ::umask(022);
    SystemFiles().CreateTextFile(dir / "new").Close();
    ::umask(mask);
    struct stat info {};
    ::stat((dir / "new").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0660U);
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

// A link in a folder that anyone may write to and that has the sticky bit, such as /tmp, is followed only when it
// belongs to the user writing or to the folder's owner, as the kernel follows links there: another user's link makes
// the place one that cannot be written, wherever it stands on the way to the file.
struct SharedFolderCase {
    const char* name;
    mode_t folderMode;
    uid_t folderOwner;
    uid_t linkOwner;
    const char* written;     // shared/itemlist.conf -> ../real/list, shared/real -> ../real, plain/itemlist.conf ->
                             // ../shared/itemlist.conf
    const char* refusedLink; // empty where the links are followed
};

class SharedFolderLinks : public testing::TestWithParam<SharedFolderCase> {};

TEST_P(SharedFolderLinks, AreFollowedAsTheKernelFollowsThem) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "links of another user need root";
    }
    const SharedFolderCase& row = GetParam();
    TempDir dir;
    for (const char* folder : {"real", "shared", "plain"}) {
        std::filesystem::create_directory(dir / folder);
    }
    WriteFile(dir / "real/list", "old");
    std::filesystem::create_symlink("../real/list", dir / "shared/itemlist.conf");
    std::filesystem::create_symlink("../real", dir / "shared/real");
    std::filesystem::create_symlink("../shared/itemlist.conf", dir / "plain/itemlist.conf");
    for (const char* link : {"shared/itemlist.conf", "shared/real", "plain/itemlist.conf"}) {
        ASSERT_EQ(::lchown((dir / link).c_str(), row.linkOwner, row.linkOwner), 0);
    }
    ASSERT_EQ(::chown((dir / "shared").c_str(), row.folderOwner, row.folderOwner), 0);
    ASSERT_EQ(::chmod((dir / "shared").c_str(), row.folderMode), 0);

    FileSystemObject& fso = SystemFiles();
    const std::string written = dir / row.written;
    if (*row.refusedLink == '\0') {
        WriteTextFile(written, "new");
        EXPECT_EQ(ReadFile(dir / "real/list"), "new");
    } else {
        const Error error = ErrorOf([&] { fso.CreateTextFile(written); });
        EXPECT_EQ(error.Kind(), ErrorKind::CannotWrite);
        EXPECT_EQ(error.what(), written + ": not followed: " + dir / row.refusedLink +
                                    " is another user's link in a folder anyone may write to");
        EXPECT_EQ(ReadFile(dir / "real/list"), "old");
    }
    EXPECT_EQ(ListDirectory(dir / "shared"), "itemlist.conf real");
    EXPECT_EQ(ListDirectory(dir / "real"), "list");
}

INSTANTIATE_TEST_SUITE_P(
    Links, SharedFolderLinks,
    testing::Values(
        SharedFolderCase{"AnotherUsersLink", 01777, 0, 1234, "shared/itemlist.conf", "shared/itemlist.conf"},
        SharedFolderCase{"AnotherUsersLinkToAFolder", 01777, 0, 1234, "shared/real/list", "shared/real"},
        SharedFolderCase{"ALinkToAnotherUsersLink", 01777, 0, 1234, "plain/itemlist.conf", "shared/itemlist.conf"},
        SharedFolderCase{"TheFolderOwnersLink", 01777, 1234, 1234, "shared/itemlist.conf", ""},
        SharedFolderCase{"TheUsersOwnLink", 01777, 1234, 0, "shared/itemlist.conf", ""},
        SharedFolderCase{"AFolderWithoutTheStickyBit", 0777, 0, 1234, "shared/itemlist.conf", ""},
        SharedFolderCase{"AStickyFolderOnlyItsOwnerWrites", 01755, 0, 1234, "shared/itemlist.conf", ""}),
    ParamName<SharedFolderCase>);

// Where a file system has no unnamed files the new file has a hidden name beside its target while it is written: it
// takes the target's place when closed, and goes when the write fails or a signal ends the program.
TEST(PosixTextStream, ANamedNewFileLeavesNothingBehind) {
    PosixFiles files(false);
    TempDir dir;
    WriteFile(dir / "itemlist.conf", "old");
    {
        TextStream abandoned = files.CreateTextFile(dir / "itemlist.conf");
        abandoned.Write("never closed");
        EXPECT_EQ(ListDirectory(dir.Path()).size(), std::string("itemlist.conf .tarvenne-xxxxxx").size());
    }
    EXPECT_EQ(ListDirectory(dir.Path()), "itemlist.conf");
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        EXPECT_EXIT(
            {
                TextStream stream = files.CreateTextFile(dir / "itemlist.conf");
                stream.Write("new");
                std::raise(signal);
            },
            testing::KilledBySignal(signal), "");
        EXPECT_EQ(ListDirectory(dir.Path()), "itemlist.conf") << signal;
    }
    TextStream stream = files.CreateTextFile(dir / "itemlist.conf");
    stream.Write("new");
    stream.Close();
    EXPECT_EQ(ReadFile(dir / "itemlist.conf"), "new");
    EXPECT_EQ(ListDirectory(dir.Path()), "itemlist.conf");
}

// A file-size limit is a write that fails with its reason, as a full disk is, not a signal that ends the program; the
// old file stays and nothing else is left, with or without unnamed files.
TEST(PosixTextStream, AFileSizeLimitIsAWriteFailure) {
    TempDir dir;
    WriteFile(dir / "itemlist.conf", "old");
    for (const bool unnamedFiles : {true, false}) {
        EXPECT_EXIT(
            {
                rlimit limit{};
                ::getrlimit(RLIMIT_FSIZE, &limit);
                limit.rlim_cur = 4096;
                ::setrlimit(RLIMIT_FSIZE, &limit);
                PosixFiles files(unnamedFiles);
                const Error error = ErrorOf([&] {
                    TextStream stream = files.CreateTextFile(dir / "itemlist.conf");
                    stream.Write(std::string(1 << 16, 'x'));
                    stream.Close();
                });
                std::fprintf(stderr, "[%s]", error.what());
                std::exit(error.Kind() == ErrorKind::CannotWrite ? 0 : 1);
            },
            testing::ExitedWithCode(0), "\\[" + dir / "itemlist.conf: File too large\\]")
            << unnamedFiles;
        EXPECT_EQ(ListDirectory(dir.Path()), "itemlist.conf");
        EXPECT_EQ(ReadFile(dir / "itemlist.conf"), "old");
    }
}

// The system's reason reaches the message, with or without unnamed files.
TEST(PosixTextStream, AFolderThatIsNotThereIsTheReason) {
    TempDir dir;
    for (const bool unnamedFiles : {true, false}) {
        PosixFiles files(unnamedFiles);
        const Error error = ErrorOf([&] { files.CreateTextFile(dir / "missing/itemlist.conf"); });
        EXPECT_EQ(error.Kind(), ErrorKind::CannotWrite);
        EXPECT_EQ(error.what(), dir / "missing/itemlist.conf: No such file or directory") << unnamedFiles;
    }
}

// Whether two paths name one file goes by the file, not by how the path is written; a folder is found with or
// without its separator.
TEST(PosixTextStream, TellsFilesAndFoldersByWhatTheyAre) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder");
    WriteFile(dir / "folder/list", "same");
    WriteFile(dir / "copy", "same");
    std::filesystem::create_symlink("folder/list", dir / "link");
    std::filesystem::create_hard_link(dir / "folder/list", dir / "hard");
    FileSystemObject& fso = SystemFiles();
    const std::string list = dir / "folder/list";
    for (const std::string& other : {list, dir / "folder/../folder/./list", dir / "link", dir / "hard"}) {
        EXPECT_TRUE(fso.SameFile(list, other)) << other;
        EXPECT_TRUE(fso.SameFile(other, list)) << other;
    }
    for (const std::string& other : {dir / "copy", dir / "missing", dir / "FOLDER/list"}) {
        EXPECT_FALSE(fso.SameFile(list, other)) << other;
    }
    EXPECT_FALSE(fso.SameFile(dir / "missing", dir / "missing"));
    EXPECT_TRUE(fso.FolderExists(dir / "folder"));
    EXPECT_TRUE(fso.FolderExists(dir / "folder/"));
    EXPECT_FALSE(fso.FolderExists(list));
    EXPECT_FALSE(fso.FolderExists(dir / "missing"));
}

} // namespace
