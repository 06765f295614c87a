// Opening input files and creating output files beside their targets.
#include "FileSystemObject.h"

#include "EndSignals.h"
#include "Error.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

// The file a path finally names, following symbolic links (also dangling ones) so that writing replaces the
// file a link points to and keeps the link.
std::string FollowLinks(const std::string& path) {
    std::filesystem::path current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current.string();
        }
        std::error_code error;
        const std::filesystem::path target = std::filesystem::read_symlink(current, error);
        if (error) {
            throw FileError(ErrorKind::CannotWrite, path, error.value());
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    throw FileError(ErrorKind::CannotWrite, path, ELOOP);
}

// A file whose data is written before it has any name: the kernel drops it by itself if the program ends before it
// is linked into place. -1 where the file system cannot make one.
int CreateUnnamedFile(const std::string& directory, const std::string& path) {
    const int fd = ::open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        return fd;
    }
    // Without support in the file system (or in an old kernel, which takes O_TMPFILE for O_DIRECTORY): a named file.
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) {
        return -1;
    }
    throw FileError(ErrorKind::CannotWrite, path, errno);
}

// Extended attributes whose copy the process may be refused without the new file losing anything the user set:
// security labels are given by the system's policy, trusted ones only to administrators.
bool MayGoWithoutCopy(std::string_view name, int error) {
    return (name.starts_with("security.") || name.starts_with("trusted.")) &&
           (error == EPERM || error == EACCES || error == ENOTSUP);
}

// The names of a file's extended attributes, each ended by a NUL; empty where the file system has none.
std::vector<char> AttributeNames(const std::string& target, const std::string& path) {
    for (;;) {
        const ssize_t size = ::listxattr(target.c_str(), nullptr, 0);
        if (size < 0) {
            if (errno == ENOTSUP) {
                return {};
            }
            throw FileError(ErrorKind::CannotWrite, path, errno);
        }
        std::vector<char> names(static_cast<std::size_t>(size));
        const ssize_t got = ::listxattr(target.c_str(), names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<std::size_t>(got));
            return names;
        }
        if (errno != ERANGE) {
            throw FileError(ErrorKind::CannotWrite, path, errno);
        }
    }
}

// Gives the new file what the one it replaces had: owner and group where the process may set them, the access
// ACL and the other extended attributes. The permission bits follow at Close, after anything that could clear them.
void KeepAttributes(int fd, const std::string& target, const struct stat& old, const std::string& path) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Only the owner's own groups are open to a user who is not the administrator.
        static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), old.st_gid));
    }
    const std::vector<char> names = AttributeNames(target, path);
    bool hasAcl = false;
    std::vector<char> value;
    for (std::size_t at = 0; at < names.size();) {
        const std::string name(names.data() + at);
        at += name.size() + 1;
        hasAcl = hasAcl || name == "system.posix_acl_access";
        ssize_t size = -1;
        for (;;) {
            size = ::getxattr(target.c_str(), name.c_str(), nullptr, 0);
            if (size < 0) {
                break;
            }
            value.resize(static_cast<std::size_t>(size));
            size = ::getxattr(target.c_str(), name.c_str(), value.data(), value.size());
            if (size >= 0 || errno != ERANGE) {
                break;
            }
        }
        if (size < 0) {
            if (errno == ENODATA || MayGoWithoutCopy(name, errno)) {
                continue;
            }
            throw FileError(ErrorKind::CannotWrite, path, errno);
        }
        if (::fsetxattr(fd, name.c_str(), value.data(), static_cast<std::size_t>(size), 0) != 0 &&
            !MayGoWithoutCopy(name, errno)) {
            throw FileError(ErrorKind::CannotWrite, path, errno);
        }
    }
    // A directory's default ACL reaches every new file in it; the replaced file had none of its own.
    if (!hasAcl && ::fremovexattr(fd, "system.posix_acl_access") != 0 && errno != ENODATA && errno != ENOTSUP) {
        throw FileError(ErrorKind::CannotWrite, path, errno);
    }
}

unsigned PermissionsForNewFile() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666U & ~static_cast<unsigned>(mask);
}

} // namespace

TextStream FileSystemObject::OpenTextFile(const std::string& path) {
    // Non-blocking, so that opening a FIFO does not wait for a writer before it is turned down.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        throw FileError(ErrorKind::CannotOpen, path, errno);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        throw FileError(ErrorKind::CannotOpen, path, error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        throw Error(ErrorKind::CannotOpen, path + ": not a regular file");
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return TextStream(TextStream::Mode::Read, fd, path);
}

TextStream FileSystemObject::CreateTextFile(const std::string& path) {
    if (path.empty()) {
        throw Error(ErrorKind::CannotWrite, "no file name was given");
    }
    const std::string target = FollowLinks(path);

    unsigned permissions = 0;
    struct stat info {};
    const bool replacing = ::stat(target.c_str(), &info) == 0;
    if (replacing) {
        if (!S_ISREG(info.st_mode)) {
            throw Error(ErrorKind::CannotWrite, path + ": not a regular file");
        }
        permissions = info.st_mode & 07777U;
    } else if (errno == ENOENT) {
        permissions = PermissionsForNewFile();
    } else {
        throw FileError(ErrorKind::CannotWrite, path, errno);
    }

    const std::filesystem::path targetPath = target;
    std::filesystem::path directory = targetPath.parent_path();
    if (directory.empty()) {
        directory = ".";
    }
    std::string tempPath;
    int fd = CreateUnnamedFile(directory.string(), path);
    if (fd < 0) {
        // A short fixed name, so that the temporary file fits wherever the target's name fits. It is registered in
        // the same step as it is made, so that no signal can leave it behind.
        tempPath = (directory / ".tarvenne-XXXXXX").string();
        const EndSignals::Hold hold;
        fd = ::mkostemp(tempPath.data(), O_CLOEXEC);
        if (fd < 0) {
            throw FileError(ErrorKind::CannotWrite, path, errno);
        }
        EndSignals::RemoveOnSignal(tempPath);
    }
    TextStream stream(TextStream::Mode::Write, fd, target);
    stream.m_tempPath = tempPath;
    stream.m_keep = permissions;
    if (replacing) {
        KeepAttributes(fd, target, info, path);
    }
    return stream;
}
