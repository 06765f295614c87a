// Every refusal and every failed write releases what it opened: the open descriptors are counted around each.
#include "Error.h"
#include "FileSystemObject.h"
#include "TestFiles.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <dlfcn.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

// Set to make the next status query of an open file fail, as on an I/O error.
std::atomic<bool> g_failNextStatus{false};

} // namespace

// Stands in for the C library's fstat in this test program.
extern "C" int fstat(int fd, struct stat* info) noexcept {
    if (g_failNextStatus.exchange(false)) {
        errno = EIO;
        return -1;
    }
    using Function = int (*)(int, struct stat*);
    static const auto real = reinterpret_cast<Function>(::dlsym(RTLD_NEXT, "fstat"));
    return real(fd, info);
}

namespace {

std::size_t OpenDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

TEST(Descriptors, AreReleasedWhenAnInputIsTurnedDown) {
    TempDir dir;
    std::filesystem::create_directory(dir / "directory");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    FileSystemObject& fso = SystemFiles();
    for (const std::string& path : {dir / "directory", dir / "fifo", std::string("/dev/null"), dir / "missing"}) {
        const std::size_t before = OpenDescriptors();
        EXPECT_THROW(fso.OpenTextFile(path), Error) << path;
        EXPECT_EQ(OpenDescriptors(), before) << path;
    }
    // A file that opens but whose status cannot be read.
    WriteFile(dir / "itemlist.ini", "item\r\n");
    const std::size_t before = OpenDescriptors();
    g_failNextStatus = true;
    EXPECT_THROW(fso.OpenTextFile(dir / "itemlist.ini"), Error);
    EXPECT_FALSE(g_failNextStatus) << "the status was never asked for";
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(Descriptors, AreReleasedWhenAWriteFails) {
    TempDir dir;
    WriteFile(dir / "itemlist.conf", "old");
    FileSystemObject& fso = SystemFiles();
    // A place that cannot be created, and one whose target is a directory.
    std::filesystem::create_directory(dir / "taken");
    for (const std::string& path : {dir / "missing/itemlist.conf", dir / "taken"}) {
        const std::size_t before = OpenDescriptors();
        EXPECT_THROW(fso.CreateTextFile(path), Error) << path;
        EXPECT_EQ(OpenDescriptors(), before) << path;
    }
    // A write that fails half-way: the file size limit stands in for a full disk.
    const std::size_t before = OpenDescriptors();
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(
        {
            TextStream stream = fso.CreateTextFile(dir / "itemlist.conf");
            stream.Write(std::string(1 << 20, 'x'));
            stream.Close();
        },
        Error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_EQ(ReadFile(dir / "itemlist.conf"), "old");
    EXPECT_EQ(ListDirectory(dir.Path()), "itemlist.conf taken");
}

} // namespace
