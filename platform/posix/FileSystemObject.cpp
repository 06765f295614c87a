// Opening input files and creating output files beside their targets.
#include "FileSystemObject.h"

#include "Error.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

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
    if (::stat(target.c_str(), &info) == 0) {
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
    // A short fixed name, so that the temporary file fits wherever the target's name fits.
    std::string tempPath = (directory / ".tarvenne-XXXXXX").string();
    const int fd = ::mkostemp(tempPath.data(), O_CLOEXEC);
    if (fd < 0) {
        throw FileError(ErrorKind::CannotWrite, path, errno);
    }
    TextStream stream(TextStream::Mode::Write, fd, target);
    stream.m_tempPath = tempPath;
    stream.m_keep = permissions;
    return stream;
}
