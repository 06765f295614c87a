// Text files on Windows: devices, the read-only attribute, the old file's attributes, files another program holds,
// and names that are not UTF-8.
#include "Error.h"
#include "FileSystemObject.h"
#include "ParamName.h"
#include "StreamTestSupport.h"
#include "TestFiles.h"
#include "Unicode.h"
#include "Win32Paths.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <windows.h>

namespace {

std::wstring Wide(const std::string& path) {
    return PathOf(path).wstring();
}

DWORD AttributesOf(const std::string& path) {
    return ::GetFileAttributesW(Wide(path).c_str());
}

// A handle on the file that lets no one else read, write or delete it, as a virus scanner may hold it.
HANDLE HoldExclusively(const std::string& path) {
    return ::CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// A pipe of ours, so that a test can offer one by name; it never gets a client, and no read waits on it.
class Pipe {
public:
    Pipe()
        : m_name("\\\\.\\pipe\\tarvenne-test-" + std::to_string(::GetCurrentProcessId())),
          m_handle(::CreateNamedPipeW(WideFromUtf8(m_name).c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                      4096, 4096, 0, nullptr)) {}
    ~Pipe() { ::CloseHandle(m_handle); }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    const std::string& Name() const { return m_name; }

private:
    std::string m_name;
    HANDLE m_handle;
};

TEST(Win32TextStream, RefusesDevicesWithoutWaiting) {
    Pipe pipe;
    ASSERT_TRUE(pipe.IsOpen());
    TempDir dir;
    FileSystemObject& fso = SystemFiles();
    for (const std::string& path : {std::string("NUL"), std::string("CON"), std::string("COM1"), dir / "NUL",
                                    std::string("\\\\.\\NUL"), pipe.Name()}) {
        const Error reading = ErrorOf([&] { fso.OpenTextFile(path); });
        EXPECT_EQ(reading.Kind(), ErrorKind::CannotOpen) << path;
        EXPECT_EQ(reading.what(), path + ": not a regular file");
        const Error writing = ErrorOf([&] { fso.CreateTextFile(path); });
        EXPECT_EQ(writing.Kind(), ErrorKind::CannotWrite) << path;
        EXPECT_EQ(writing.what(), path + ": not a regular file");
    }
    EXPECT_EQ(ListDirectory(dir.Path()), "");
}

TEST(Win32TextStream, ReadsAndWritesNamesInEveryScriptUnderTheirOwnName) {
    TempDir dir;
    // Written out in UTF-16 apart from the UTF-8 the program uses, so that a wrong conversion is seen.
    const std::wstring name = L"d\u00e9p\u00f4t \u0421\u043f\u0438\u0441\u043e\u043a \u9805\u76ee \U0001F680.conf";
    const std::string path = dir / "d\xc3\xa9p\xc3\xb4t \xd0\xa1\xd0\xbf\xd0\xb8\xd1\x81\xd0\xbe\xd0\xba "
                                   "\xe9\xa0\x85\xe7\x9b\xae \xf0\x9f\x9a\x80.conf";
    WriteTextFile(path, "a\r\n");
    EXPECT_NE(::GetFileAttributesW((Wide(dir.Path()) + L"\\" + name).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadAllLines(path), std::vector<std::string>{"a"});
}

// Bytes that are not UTF-8 name no file: refused, never read or written as some other file.
TEST(Win32TextStream, RefusesNamesThatAreNotUtf8) {
    TempDir dir;
    // What a converter that replaces bad bytes would turn the names into.
    const std::string replaced = "list\xef\xbf\xbd";
    WriteFile(dir / replaced, "x");
    FileSystemObject& fso = SystemFiles();
    for (const std::string& name : {std::string("list\xff"), std::string("list\xc3"), std::string("list\xed\xa0\x80"),
                                    std::string("list\xc0\xbf"), std::string("list\0x", 6)}) {
        EXPECT_EQ(KindOf([&] { fso.OpenTextFile(dir / name); }), ErrorKind::CannotOpen);
        EXPECT_EQ(KindOf([&] { fso.CreateTextFile(dir / name); }), ErrorKind::CannotWrite);
    }
    EXPECT_EQ(ReadFile(dir / replaced), "x");
    EXPECT_EQ(ListDirectory(dir.Path()), replaced);
}

TEST(Win32TextStream, LeavesAReadOnlyFileAsItIs) {
    TempDir dir;
    WriteFile(dir / "itemlist.conf", "old");
    ASSERT_TRUE(::SetFileAttributesW(Wide(dir / "itemlist.conf").c_str(), FILE_ATTRIBUTE_READONLY));
    FileSystemObject& fso = SystemFiles();
    const Error error = ErrorOf([&] { fso.CreateTextFile(dir / "itemlist.conf"); });
    EXPECT_EQ(error.Kind(), ErrorKind::CannotWrite);
    EXPECT_EQ(error.what(), dir / "itemlist.conf" + ": the file is read-only");

    // Made read-only while the new file is written: refused when it is closed.
    ASSERT_TRUE(::SetFileAttributesW(Wide(dir / "itemlist.conf").c_str(), FILE_ATTRIBUTE_NORMAL));
    {
        TextStream stream = fso.CreateTextFile(dir / "itemlist.conf");
        stream.Write("new");
        ASSERT_TRUE(::SetFileAttributesW(Wide(dir / "itemlist.conf").c_str(), FILE_ATTRIBUTE_READONLY));
        EXPECT_EQ(ErrorOf([&] { stream.Close(); }).what(), dir / "itemlist.conf" + ": the file is read-only");
    }

    ::SetFileAttributesW(Wide(dir / "itemlist.conf").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFile(dir / "itemlist.conf"), "old");
    EXPECT_EQ(ListDirectory(dir.Path()), "itemlist.conf");
}

// The new file takes the old one's place with its attributes, marked as changed for backups; a new file gets the
// usual ones.
TEST(Win32TextStream, KeepsTheAttributesOfAReplacedFile) {
    constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    TempDir dir;
    WriteFile(dir / "old", "old");
    ASSERT_TRUE(::SetFileAttributesW(Wide(dir / "old").c_str(), kHiddenSystem));
    WriteTextFile(dir / "old", "new");
    WriteTextFile(dir / "new", "new");
    EXPECT_EQ(ReadFile(dir / "old"), "new");
    EXPECT_EQ(AttributesOf(dir / "old") & (kHiddenSystem | FILE_ATTRIBUTE_ARCHIVE),
              kHiddenSystem | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(AttributesOf(dir / "new") & (kHiddenSystem | FILE_ATTRIBUTE_READONLY), 0U);
}

TEST(Win32TextStream, WaitsBrieflyForAFileAnotherProgramHolds) {
    TempDir dir;
    WriteFile(dir / "out", "old");
    const HANDLE held = HoldExclusively(dir / "out");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    {
        const std::jthread release([held] {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            ::CloseHandle(held);
        });
        EXPECT_NO_THROW(WriteTextFile(dir / "out", "new"));
    }
    EXPECT_EQ(ReadFile(dir / "out"), "new");
    EXPECT_EQ(ListDirectory(dir.Path()), "out");
}

TEST(Win32TextStream, GivesUpOnAFileHeldThroughout) {
    TempDir dir;
    WriteFile(dir / "out", "old");
    const HANDLE held = HoldExclusively(dir / "out");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(KindOf([&] { WriteTextFile(dir / "out", "new"); }), ErrorKind::CannotWrite);
    ::CloseHandle(held);
    EXPECT_EQ(ReadFile(dir / "out"), "old");
    EXPECT_EQ(ListDirectory(dir.Path()), "out");
}

// Outputs written into one folder at the same time each get a new file of their own.
TEST(Win32TextStream, WritesSeveralOutputsInOneFolderAtOnce) {
    TempDir dir;
    FileSystemObject& fso = SystemFiles();
    TextStream first = fso.CreateTextFile(dir / "a");
    TextStream second = fso.CreateTextFile(dir / "b");
    first.Write("1");
    second.Write("2");
    first.Close();
    second.Close();
    EXPECT_EQ(ReadFile(dir / "a"), "1");
    EXPECT_EQ(ReadFile(dir / "b"), "2");
    EXPECT_EQ(ListDirectory(dir.Path()), "a b");
}

TEST(Win32TextStream, ReadsAFileOthersAreWriting) {
    TempDir dir;
    WriteFile(dir / "in", "a\r\nb");
    const HANDLE writer = ::CreateFileW(Wide(dir / "in").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadAllLines(dir / "in"), (std::vector<std::string>{"a", "b"}));
    ::CloseHandle(writer);
}

// An open input stays open to others, who may write it and move it away; its stamp tells a change in size or in
// time, and Rewind reads the same open file again.
TEST(Win32TextStream, AnOpenInputTellsWhenItChanges) {
    TempDir dir;
    WriteFile(dir / "in", "a\r\nb");
    TextStream stream = SystemFiles().OpenTextFile(dir / "in");
    EXPECT_EQ(stream.ReadLine(), "a");
    const FileStamp before = stream.Stamp();
    EXPECT_EQ(before.size, 4U);

    const HANDLE writer = ::CreateFileW(Wide(dir / "in").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    FILETIME written{};
    ASSERT_TRUE(::GetFileTime(writer, nullptr, nullptr, &written));
    written.dwHighDateTime -= 1; // some seven minutes earlier, the size as it was
    ASSERT_TRUE(::SetFileTime(writer, nullptr, nullptr, &written));
    const FileStamp touched = stream.Stamp();
    EXPECT_EQ(touched.size, before.size);
    EXPECT_NE(touched, before);
    ASSERT_TRUE(::SetFilePointerEx(writer, LARGE_INTEGER{}, nullptr, FILE_END));
    DWORD count = 0;
    ASSERT_TRUE(::WriteFile(writer, "c", 1, &count, nullptr));
    ::CloseHandle(writer);
    EXPECT_EQ(stream.Stamp().size, 5U);

    // Moved aside, as an editor keeps a backup copy before it saves.
    ASSERT_TRUE(::MoveFileExW(Wide(dir / "in").c_str(), Wide(dir / "in.bak").c_str(), 0));
    stream.Rewind();
    EXPECT_EQ(stream.ReadLine(), "a");
    EXPECT_EQ(stream.ReadLine(), "bc");
    EXPECT_TRUE(stream.AtEndOfStream());
}

// Whether two paths name one file goes by the file, not by how the path is written; a folder is found with or
// without its separator.
TEST(Win32TextStream, TellsFilesAndFoldersByWhatTheyAre) {
    TempDir dir;
    std::filesystem::create_directory(PathOf(dir / "folder"));
    WriteFile(dir / "folder\\list", "same");
    WriteFile(dir / "copy", "same");
    FileSystemObject& fso = SystemFiles();
    const std::string list = dir / "folder\\list";
    for (const std::string& other :
         {list, dir / "FOLDER\\LIST", dir / "folder\\..\\folder\\.\\list", dir / "folder/list"}) {
        EXPECT_TRUE(fso.SameFile(list, other)) << other;
        EXPECT_TRUE(fso.SameFile(other, list)) << other;
    }
    for (const std::string& other : {dir / "copy", dir / "missing", std::string("NUL"), std::string("list\xff")}) {
        EXPECT_FALSE(fso.SameFile(list, other)) << other;
        EXPECT_FALSE(fso.SameFile(other, list)) << other;
    }
    // Names of nothing are no file at all, not one and the same.
    for (const std::string& nothing : {dir / "missing", std::string("NUL"), std::string("list\xff")}) {
        EXPECT_FALSE(fso.SameFile(nothing, nothing)) << nothing;
    }
    EXPECT_TRUE(fso.FolderExists(dir / "folder"));
    EXPECT_TRUE(fso.FolderExists(dir / "folder\\"));
    for (const std::string& path : {list, dir / "missing", std::string("NUL"), std::string("list\xff")}) {
        EXPECT_FALSE(fso.FolderExists(path)) << path;
    }
}

// A failed read or write keeps no handle on the file: afterwards it can be had exclusively.
TEST(Win32TextStream, KeepsNoHandleOnAFileAfterAFailure) {
    TempDir dir;
    WriteFile(dir / "in", "one");
    WriteFile(dir / "out", "old");
    FileSystemObject& fso = SystemFiles();
    EXPECT_EQ(KindOf([&] {
                  TextStream stream = fso.OpenTextFile(dir / "in");
                  stream.SkipLine();
                  stream.SkipLine();
              }),
              ErrorKind::EndOfStream);
    const HANDLE held = HoldExclusively(dir / "out");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(KindOf([&] { WriteTextFile(dir / "out", "new"); }), ErrorKind::CannotWrite);
    ::CloseHandle(held);
    for (const char* name : {"in", "out"}) {
        const HANDLE exclusive = HoldExclusively(dir / name);
        EXPECT_NE(exclusive, INVALID_HANDLE_VALUE) << name;
        ::CloseHandle(exclusive);
    }
}

// Deeper than MAX_PATH, where the system takes only the long form of a path.
TEST(Win32TextStream, ReadsAndWritesBeyondMaxPath) {
    TempDir dir;
    std::string folder = dir.Path();
    std::vector<std::wstring> folders;
    while (folder.size() < MAX_PATH + 20) {
        folder += "\\" + std::string(50, 'f');
        folders.push_back(L"\\\\?\\" + Wide(folder));
        ASSERT_TRUE(::CreateDirectoryW(folders.back().c_str(), nullptr));
    }
    const std::string path = folder + "\\itemlist.conf";
    WriteTextFile(path, "old");
    WriteTextFile(path, "a\r\nb");
    EXPECT_EQ(ReadAllLines(path), (std::vector<std::string>{"a", "b"}));

    // Removed here: not every way of removing a folder takes the long form.
    EXPECT_TRUE(::DeleteFileW((L"\\\\?\\" + Wide(path)).c_str()));
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        EXPECT_TRUE(::RemoveDirectoryW(it->c_str()));
    }
}

struct DevicePath {
    const char* name;
    std::wstring path;
    bool device;
};

class DevicePaths : public testing::TestWithParam<DevicePath> {};

TEST_P(DevicePaths, AreToldFromFiles) {
    EXPECT_EQ(IsDevicePath(GetParam().path), GetParam().device);
}

INSTANTIATE_TEST_SUITE_P(Names, DevicePaths,
                         testing::Values(DevicePath{"Drive", L"C:\\x\\itemlist.conf", false},
                                         DevicePath{"Share", L"\\\\server\\share\\x", false},
                                         DevicePath{"LongDrive", L"\\\\?\\C:\\x", false},
                                         DevicePath{"DeviceSpaceDrive", L"\\\\.\\c:\\x", false},
                                         DevicePath{"LongShare", L"\\\\?\\unc\\server\\share", false},
                                         DevicePath{"Nul", L"\\\\.\\NUL", true},
                                         DevicePath{"Port", L"\\\\.\\COM1", true},
                                         DevicePath{"Pipe", L"\\\\.\\pipe\\x", true},
                                         DevicePath{"Volume", L"\\\\.\\C:", true},
                                         DevicePath{"GlobalRoot", L"\\\\?\\GLOBALROOT\\Device\\Null", true}),
                         ParamName<DevicePath>);

} // namespace
