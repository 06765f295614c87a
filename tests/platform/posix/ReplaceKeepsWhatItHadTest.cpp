// Replacing a file on POSIX: the new file takes over the old one's owner, mode, ACL and extended attributes, is
// nameless until complete, and leaves other hard links to the old file alone.
#include "Error.h"
#include "FileSystemObject.h"
#include "ParamName.h"
#include "TestFiles.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// The one attribute whose copy the system refuses next, as it may refuse a label: when it is read from the old file
// or set on the new one, with that error.
struct Refusal {
    std::string name;
    bool onSet;
    int error;
};
std::optional<Refusal> g_refusal;

bool Refused(const char* name, bool onSet) {
    if (g_refusal && g_refusal->onSet == onSet && g_refusal->name == name) {
        errno = g_refusal->error;
        return true;
    }
    return false;
}

} // namespace

// Stand in for the C library's calls that copy an attribute, in this test program.
extern "C" ssize_t lgetxattr(const char* path, const char* name, void* value, size_t size) noexcept {
    using Function = ssize_t (*)(const char*, const char*, void*, size_t);
    static const auto real = reinterpret_cast<Function>(::dlsym(RTLD_NEXT, "lgetxattr"));
    return Refused(name, false) ? -1 : real(path, name, value, size);
}

extern "C" int fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) noexcept {
    using Function = int (*)(int, const char*, const void*, size_t, int);
    static const auto real = reinterpret_cast<Function>(::dlsym(RTLD_NEXT, "fsetxattr"));
    return Refused(name, true) ? -1 : real(fd, name, value, size, flags);
}

namespace {

constexpr const char* kAcl = "system.posix_acl_access";
constexpr const char* kDefaultAcl = "system.posix_acl_default";

// An access ACL as the kernel stores it: a version, then (tag, permissions, id) entries in tag order.
std::string AclValue(std::initializer_list<std::tuple<std::uint16_t, std::uint16_t, std::uint32_t>> entries) {
    std::string value;
    const auto put = [&](auto number) { value.append(reinterpret_cast<const char*>(&number), sizeof number); };
    put(std::uint32_t{2});
    for (const auto& [tag, permissions, id] : entries) {
        put(tag);
        put(permissions);
        put(id);
    }
    return value;
}
enum : std::uint16_t { UserObj = 1, User = 2, GroupObj = 4, Mask = 16, Other = 32 };
constexpr std::uint32_t kNoId = 0xFFFFFFFF;

std::optional<std::string> Attribute(const std::string& path, const char* name) {
    char value[4096];
    const ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? std::nullopt : std::optional<std::string>(std::string(value, static_cast<std::size_t>(size)));
}

bool SetAttribute(const std::string& path, const char* name, const std::string& value) {
    return ::setxattr(path.c_str(), name, value.data(), value.size(), 0) == 0;
}

void Replace(const std::string& path, const std::string& text) {
    FileSystemObject& fso = SystemFiles();
    TextStream stream = fso.CreateTextFile(path);
    stream.Write(text);
    stream.Close();
}

class ReplaceKeepsWhatItHad : public testing::Test {
protected:
    TempDir m_dir;
    std::string m_file = m_dir / "itemlist.conf";

    void SetUp() override {
        WriteFile(m_file, "old");
        if (!SetAttribute(m_file, "user.probe", "1")) {
            GTEST_SKIP() << "the file system of " << m_dir.Path() << " refuses extended attributes ("
                         << std::strerror(errno) << ")";
        }
        ::removexattr(m_file.c_str(), "user.probe");
    }
};

TEST_F(ReplaceKeepsWhatItHad, OwnerGroupModeAclAndAttributes) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a file to another user needs root";
    }
    // A user entry that the owner's group class does not have, and an odd mode: both must survive exactly.
    const std::string acl =
        AclValue({{UserObj, 6, kNoId}, {User, 6, 1234}, {GroupObj, 4, kNoId}, {Mask, 6, kNoId}, {Other, 0, kNoId}});
    ASSERT_EQ(::chown(m_file.c_str(), 1234, 2345), 0);
    ASSERT_TRUE(SetAttribute(m_file, kAcl, acl)) << std::strerror(errno);
    ASSERT_EQ(::chmod(m_file.c_str(), 02660), 0);
    ASSERT_TRUE(SetAttribute(m_file, "user.origin", std::string("dock\0setup", 10)));
    struct stat before {};
    ::stat(m_file.c_str(), &before);

    Replace(m_file, "new");

    struct stat after {};
    ::stat(m_file.c_str(), &after);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(ReadFile(m_file), "new");
    EXPECT_EQ(after.st_uid, 1234U);
    EXPECT_EQ(after.st_gid, 2345U);
    EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777);
    EXPECT_EQ(Attribute(m_file, kAcl), acl);
    EXPECT_EQ(Attribute(m_file, "user.origin"), std::string("dock\0setup", 10));
}

// In a folder whose default ACL reaches every new file, the new file has the ACL the old one had, or none: another
// attribute of the old file is no ACL.
TEST_F(ReplaceKeepsWhatItHad, TheOldFilesAclOrNoneWhateverTheFolderGives) {
    const std::string acl =
        AclValue({{UserObj, 7, kNoId}, {User, 7, 1234}, {GroupObj, 7, kNoId}, {Mask, 7, kNoId}, {Other, 7, kNoId}});
    if (!SetAttribute(m_dir.Path(), kDefaultAcl, acl)) {
        GTEST_SKIP() << "the file system refuses ACLs (" << std::strerror(errno) << ")";
    }
    const std::string own =
        AclValue({{UserObj, 6, kNoId}, {User, 6, 4321}, {GroupObj, 4, kNoId}, {Mask, 6, kNoId}, {Other, 0, kNoId}});
    for (const bool hadAcl : {false, true}) {
        WriteFile(m_file, "old");
        ::chmod(m_file.c_str(), 0640);
        ASSERT_TRUE(SetAttribute(m_file, "user.origin", "dock"));
        ASSERT_TRUE(!hadAcl || SetAttribute(m_file, kAcl, own)) << std::strerror(errno);
        struct stat before {};
        ::stat(m_file.c_str(), &before);

        Replace(m_file, "new");

        struct stat after {};
        ::stat(m_file.c_str(), &after);
        EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777) << hadAcl;
        EXPECT_EQ(Attribute(m_file, kAcl), hadAcl ? std::optional(own) : std::nullopt) << hadAcl;
        EXPECT_EQ(Attribute(m_file, "user.origin"), "dock") << hadAcl;
    }
}

TEST_F(ReplaceKeepsWhatItHad, TheFileHasNoNameUntilItIsComplete) {
    FileSystemObject& fso = SystemFiles();
    TextStream stream = fso.CreateTextFile(m_file);
    stream.Write(std::string(100000, 'x'));
    EXPECT_EQ(ListDirectory(m_dir.Path()), "itemlist.conf");
    EXPECT_EQ(ReadFile(m_file), "old");
    stream.Close();
    EXPECT_EQ(ListDirectory(m_dir.Path()), "itemlist.conf");
    EXPECT_EQ(ReadFile(m_file)->size(), 100000U);
}

// Through a link, the file it points to is replaced and keeps what it had, and ".." after a link to a folder goes
// where the kernel goes: to that folder's parent.
TEST_F(ReplaceKeepsWhatItHad, ThroughLinksTheFileTheKernelFinds) {
    std::filesystem::create_directories(m_dir / "real/sub");
    const std::string real = m_dir / "real/itemlist.conf";
    WriteFile(real, "other");
    ASSERT_TRUE(SetAttribute(real, "user.origin", "real"));
    ::chmod(real.c_str(), 0604);
    std::filesystem::create_symlink("real/sub", m_dir / "deep");
    std::filesystem::create_symlink("deep/../itemlist.conf", m_dir / "link");

    Replace(m_dir / "link", "new");

    EXPECT_EQ(ReadFile(real), "new");
    EXPECT_EQ(Attribute(real, "user.origin"), "real");
    struct stat after {};
    ::stat(real.c_str(), &after);
    EXPECT_EQ(after.st_mode & 07777, 0604U);
    EXPECT_EQ(ReadFile(m_file), "old");
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir / "link"));
}

// The path gets a new file; other names of the old one keep the old content.
TEST_F(ReplaceKeepsWhatItHad, OtherHardLinksKeepTheOldContent) {
    std::filesystem::create_hard_link(m_file, m_dir / "other name");
    Replace(m_file, "new");
    EXPECT_EQ(ReadFile(m_file), "new");
    EXPECT_EQ(ReadFile(m_dir / "other name"), "old");
    EXPECT_EQ(std::filesystem::hard_link_count(m_file), 1U);
}

// A security label or trusted attribute that the system refuses to copy is left to its policy: the file is written
// with everything else. Any other failure to copy an attribute stops the write and keeps the old file.
struct PolicyCase {
    const char* name;
    const char* attribute;
    bool onSet;
    int error;
    bool written;
};

class AttributePolicy : public ReplaceKeepsWhatItHad, public testing::WithParamInterface<PolicyCase> {};

TEST_P(AttributePolicy, LeavesOnlyRefusedLabelsBehind) {
    const PolicyCase& row = GetParam();
    if (!std::string_view(row.attribute).starts_with("user.") && ::geteuid() != 0) {
        GTEST_SKIP() << "only root may give a file security and trusted attributes";
    }
    ASSERT_TRUE(SetAttribute(m_file, row.attribute, "label")) << std::strerror(errno);
    ASSERT_TRUE(SetAttribute(m_file, "user.origin", "dock"));
    g_refusal = Refusal{row.attribute, row.onSet, row.error};
    std::optional<Error> error;
    try {
        Replace(m_file, "new");
    } catch (const Error& raised) {
        error = raised;
    }
    g_refusal.reset();

    if (row.written) {
        EXPECT_FALSE(error) << error->what();
        EXPECT_EQ(ReadFile(m_file), "new");
        EXPECT_EQ(Attribute(m_file, row.attribute), std::nullopt);
        EXPECT_EQ(Attribute(m_file, "user.origin"), "dock");
    } else {
        ASSERT_TRUE(error);
        EXPECT_EQ(error->Kind(), ErrorKind::CannotWrite);
        EXPECT_EQ(error->what(), m_file + ": " + std::strerror(row.error));
        EXPECT_EQ(ReadFile(m_file), "old");
        EXPECT_EQ(Attribute(m_file, row.attribute), "label");
    }
    EXPECT_EQ(ListDirectory(m_dir.Path()), "itemlist.conf");
}

INSTANTIATE_TEST_SUITE_P(Copies, AttributePolicy,
                         testing::Values(PolicyCase{"ARefusedLabel", "security.tarvenne", true, EPERM, true},
                                         PolicyCase{"ARefusedTrustedAttribute", "trusted.tarvenne", true, EPERM, true},
                                         PolicyCase{"ALabelThatMayNotBeRead", "security.tarvenne", false, EACCES, true},
                                         PolicyCase{"ALabelThatFailsOtherwise", "security.tarvenne", true, EIO, false},
                                         PolicyCase{"ARefusedUserAttribute", "user.tarvenne", true, EPERM, false},
                                         PolicyCase{"AUserAttributeThatMayNotBeRead", "user.tarvenne", false, EACCES,
                                                    false}),
                         ParamName<PolicyCase>);

} // namespace
