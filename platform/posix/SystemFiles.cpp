// The files of a POSIX system: output written into a file without a name beside its target, made durable, and only
// then given the target's name, so that no failure or signal leaves a partly written file or a stray one behind.
#include "PosixFiles.h"

#include "EndSignals.h"
#include "Error.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <linux/limits.h>
#include <string_view>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// As any program asks for a new file: the umask, or the folder's default ACL, takes away what the user wants away.
constexpr mode_t kNewFileMode = 0666;

// The file a path finally names, through symbolic links (dangling ones too): writing keeps a link and replaces its
// file.
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

std::string DirectoryOf(const std::string& path) {
    const std::string directory = std::filesystem::path(path).parent_path().string();
    return directory.empty() ? "." : directory;
}

// Gives make fresh names in directory until it takes one (returns true) and returns that name; make fails with errno
// EEXIST for a name that is taken. The names are hidden and short, so that they fit wherever the target's name fits.
template <typename Make> std::string FreshName(const std::string& directory, const std::string& path, Make make) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6] = {};
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
            throw FileError(ErrorKind::CannotWrite, path, errno);
        }
        std::string name = directory + "/.tarvenne-";
        for (const unsigned char byte : random) {
            name += kLetters[byte % (sizeof kLetters - 1)];
        }
        if (make(name)) {
            return name;
        }
        if (errno != EEXIST) {
            throw FileError(ErrorKind::CannotWrite, path, errno);
        }
    }
    throw FileError(ErrorKind::CannotWrite, path, EEXIST);
}

// Extended attributes whose copy the process may be refused without the new file losing anything the user set:
// security labels are given by the system's policy, trusted ones only to administrators.
bool MayGoWithoutCopy(std::string_view name, int error) {
    return (name.starts_with("security.") || name.starts_with("trusted.")) &&
           (error == EPERM || error == EACCES || error == ENOTSUP);
}

// Gives the new file what the one it replaces had: owner and group where the process may set them, the access
// ACL and the other extended attributes. The permission bits follow at Commit, after anything that could clear them.
void KeepAttributes(int fd, const std::string& target, const struct stat& old, const std::string& path) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Only the owner's own groups are open to a user who is not the administrator.
        static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), old.st_gid));
    }
    // The kernel holds a list of names, like a value, to 64 KiB: buffers that size take any of them in one call.
    std::vector<char> names(XATTR_LIST_MAX);
    const ssize_t listed = ::listxattr(target.c_str(), names.data(), names.size());
    if (listed < 0 && errno != ENOTSUP) {
        throw FileError(ErrorKind::CannotWrite, path, errno);
    }
    names.resize(listed < 0 ? 0 : static_cast<std::size_t>(listed));
    bool hasAcl = false;
    std::vector<char> value(XATTR_SIZE_MAX);
    for (std::size_t at = 0; at < names.size();) {
        const std::string name(names.data() + at);
        at += name.size() + 1;
        hasAcl = hasAcl || name == "system.posix_acl_access";
        const ssize_t size = ::getxattr(target.c_str(), name.c_str(), value.data(), value.size());
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

class PosixReader : public FileReader {
public:
    PosixReader(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    ~PosixReader() override { ::close(m_fd); }

    // A regular file's reads and writes are not cut short by a signal: the only signals the program handles end it.
    std::size_t ReadSome(char* data, std::size_t size) override {
        const ssize_t count = ::read(m_fd, data, size);
        if (count < 0) {
            throw FileError(ErrorKind::CannotOpen, m_path, errno);
        }
        return static_cast<std::size_t>(count);
    }

    void Rewind() override {
        if (::lseek(m_fd, 0, SEEK_SET) != 0) {
            throw FileError(ErrorKind::CannotOpen, m_path, errno);
        }
    }

    FileStamp Stamp() override {
        struct stat info {};
        if (::fstat(m_fd, &info) != 0) {
            throw FileError(ErrorKind::CannotOpen, m_path, errno);
        }
        return {static_cast<std::uint64_t>(info.st_size),
                static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
    }

private:
    int m_fd;
    std::string m_path;
};

// While it lives, a file-size limit (ulimit -f) makes a write fail with EFBIG, "File too large", as a full disk makes
// it fail, instead of ending the program with SIGXFSZ; the previous action is back afterwards.
class SizeLimitAsError {
public:
    SizeLimitAsError() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &m_previous);
    }
    ~SizeLimitAsError() { ::sigaction(SIGXFSZ, &m_previous, nullptr); }
    SizeLimitAsError(const SizeLimitAsError&) = delete;
    SizeLimitAsError& operator=(const SizeLimitAsError&) = delete;

private:
    struct sigaction m_previous {};
};

class PosixWriter : public FileWriter {
public:
    // target is the file to replace or create; path is how the caller named it, for messages.
    PosixWriter(std::string target, const std::string& path, bool unnamedFiles)
        : m_target(std::move(target)), m_path(path) {
        struct stat old {};
        m_replacing = ::stat(m_target.c_str(), &old) == 0;
        if (m_replacing && !S_ISREG(old.st_mode)) {
            throw Error(ErrorKind::CannotWrite, path + ": not a regular file");
        }
        if (!m_replacing && errno != ENOENT) {
            throw FileError(ErrorKind::CannotWrite, path, errno);
        }
        m_mode = old.st_mode & 07777U;
        Create(unnamedFiles);
        try {
            if (m_replacing) {
                KeepAttributes(m_fd, m_target, old, m_path);
            }
        } catch (const Error&) {
            Release();
            throw;
        }
    }

    ~PosixWriter() override { Release(); }

    void Write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t count = ::write(m_fd, bytes.data(), bytes.size());
            if (count < 0) {
                throw FileError(ErrorKind::CannotWrite, m_path, errno);
            }
            bytes.remove_prefix(static_cast<std::size_t>(count));
        }
    }

    std::string Commit() override {
        if ((m_replacing && ::fchmod(m_fd, m_mode) != 0) || ::fsync(m_fd) != 0) {
            throw FileError(ErrorKind::CannotWrite, m_path, errno);
        }
        {
            // The complete file takes the target's place in one step that no signal comes between, so that a signal
            // leaves either the old file or the new one, and no temporary name.
            const EndSignals::Hold hold;
            const bool named = !m_tempPath.empty();
            const std::string from = named ? m_tempPath : LinkUnnamedFile();
            if (::rename(from.c_str(), m_target.c_str()) != 0) {
                const int error = errno;
                if (!named) {
                    ::unlink(from.c_str());
                }
                throw FileError(ErrorKind::CannotWrite, m_path, error);
            }
            if (named) {
                EndSignals::Forget();
                m_tempPath.clear();
            }
        }
        ::close(std::exchange(m_fd, -1));
        return SyncDirectory();
    }

private:
    void Release() noexcept {
        if (m_fd >= 0) {
            ::close(std::exchange(m_fd, -1));
        }
        if (!m_tempPath.empty()) {
            ::unlink(m_tempPath.c_str());
            EndSignals::Forget();
            m_tempPath.clear();
        }
    }

    void Create(bool unnamedFiles) {
        const std::string directory = DirectoryOf(m_target);
        // A file whose data is written before it has any name: the kernel drops it by itself if the program ends
        // before it is linked into place.
        if (unnamedFiles) {
            m_fd = ::open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, kNewFileMode);
            if (m_fd >= 0) {
                return;
            }
            // Without support in the file system (or in an old kernel, which takes O_TMPFILE for O_DIRECTORY): a
            // named file, registered in the same step as it is made, so that no signal can leave it behind.
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
                throw FileError(ErrorKind::CannotWrite, m_path, errno);
            }
        }
        const EndSignals::Hold hold;
        m_tempPath = FreshName(directory, m_path, [this](const std::string& name) {
            m_fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
            return m_fd >= 0;
        });
        EndSignals::RemoveOnSignal(m_tempPath);
    }

    // Gives the unnamed file a fresh name beside the target and returns it. Linking cannot replace a file, so the
    // name is a new one that the caller renames over the target.
    std::string LinkUnnamedFile() {
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
        return FreshName(DirectoryOf(m_target), m_path, [&](const std::string& name) {
            // Through /proc for any user; without /proc, by the descriptor itself, which needs more privilege.
            return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
                   (errno == ENOENT && ::linkat(m_fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0);
        });
    }

    // After a rename the folder's entry is on the disk only once the folder itself is synced. The file has its name
    // by now, so a failure here is only reported. A file system that does not sync folders is left as it is.
    std::string SyncDirectory() const {
        const int fd = ::open(DirectoryOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            return {};
        }
        const int result = ::fsync(fd);
        const int error = errno;
        ::close(fd);
        if (result != 0 && error != EINVAL && error != EROFS) {
            return DirectoryOf(m_target) + ": the folder could not be synced to the disk: " + SystemReason(error);
        }
        return {};
    }

    const SizeLimitAsError m_sizeLimitAsError; // first, so that it lasts until everything else is released
    std::string m_target;
    std::string m_path;
    bool m_replacing = false;
    mode_t m_mode = 0;
    int m_fd = -1;
    std::string m_tempPath; // the named stand-in for an unnamed file, while it exists
};

} // namespace

TextStream PosixFiles::OpenTextFile(const std::string& path) {
    // Non-blocking, so that opening a FIFO does not wait for a writer before it is turned down.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        throw FileError(ErrorKind::CannotOpen, path, errno);
    }
    auto reader = std::make_unique<PosixReader>(fd, path);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        throw FileError(ErrorKind::CannotOpen, path, errno);
    }
    if (!S_ISREG(info.st_mode)) {
        throw Error(ErrorKind::CannotOpen, path + ": not a regular file");
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return TextStream(std::move(reader), path);
}

TextStream PosixFiles::CreateTextFile(const std::string& path) {
    if (path.empty()) {
        throw Error(ErrorKind::CannotWrite, "no file name was given");
    }
    return TextStream(std::make_unique<PosixWriter>(FollowLinks(path), path, m_unnamedFiles), path);
}

bool PosixFiles::FolderExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

bool PosixFiles::SameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    return std::filesystem::equivalent(first, second, error);
}

FileSystemObject& SystemFiles() {
    static PosixFiles files;
    return files;
}
