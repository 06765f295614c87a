// The files of a POSIX system: output written into a file without a name beside its target, made durable, and only
// then given the target's name, so that no failure or ending signal leaves a partly written file or a stray one
// behind; the way to the target goes through links only as the kernel would follow them.
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

// An open descriptor, closed when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(Descriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(m_fd, other.m_fd);
        return *this;
    }

    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Where a file is written: its folder, open, that folder's path and the file's name in it.
struct Place {
    Descriptor folder;
    std::string folderPath; // "" for the working directory
    std::string name;

    std::string Path(const std::string& entry) const {
        return folderPath.empty() ? entry : folderPath + (folderPath.ends_with('/') ? "" : "/") + entry;
    }
    std::string FolderForMessages() const { return folderPath.empty() ? "." : folderPath; }
};

// The kernel follows a symbolic link that sits in a folder anyone may write to and that has the sticky bit, such as
// /tmp, only when the link belongs to the user who follows it or to the folder's owner (fs.protected_symlinks):
// otherwise another user could point a name there at a file of this user's. The same rule holds here, whatever that
// setting is.
bool MayFollow(const struct stat& link, const struct stat& folder) {
    constexpr mode_t kShared = S_ISVTX | S_IWOTH;
    return link.st_uid == ::geteuid() || (folder.st_mode & kShared) != kShared || link.st_uid == folder.st_uid;
}

// Puts the names of path's parts on top of pending, the first one last; a final "/" is a last part ".".
void PushNames(std::vector<std::string>& pending, std::string_view path) {
    if (path.ends_with('/')) {
        pending.emplace_back(".");
    }
    while (!path.empty()) {
        const std::size_t slash = path.rfind('/');
        const std::size_t from = slash == std::string_view::npos ? 0 : slash + 1;
        if (from < path.size()) {
            pending.emplace_back(path.substr(from));
        }
        path = path.substr(0, slash == std::string_view::npos ? 0 : slash);
    }
}

// The place of the file that path finally names: its folders are opened one by one and symbolic links (dangling ones
// too) are followed as the kernel follows them, so that writing keeps a link and replaces its file, and the folder
// found is the one written, whatever happens to the path meanwhile. The folder's path, for messages and for the
// names made in it, leads where the walk went.
Place FindPlace(const std::string& path) {
    const auto start = [&path](Place& place, bool absolute) {
        const int folder = ::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0) {
            throw FileError(ErrorKind::CannotWrite, path, errno);
        }
        place.folder = Descriptor(folder);
        place.folderPath = absolute ? std::string("/") : std::string();
    };
    Place place;
    start(place, path.starts_with('/'));
    std::vector<std::string> pending; // the names still to walk, the next one last
    PushNames(pending, path);
    for (int links = 0; !pending.empty();) {
        const std::string name = std::move(pending.back());
        pending.pop_back();
        Descriptor entry(::openat(place.folder.Get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat info {};
        if (entry.Get() < 0 || ::fstat(entry.Get(), &info) != 0) {
            if (errno == ENOENT && pending.empty()) {
                place.name = name;
                return place;
            }
            throw FileError(ErrorKind::CannotWrite, path, errno);
        }
        if (S_ISLNK(info.st_mode)) {
            struct stat folder {};
            if (::fstat(place.folder.Get(), &folder) != 0) {
                throw FileError(ErrorKind::CannotWrite, path, errno);
            }
            if (!MayFollow(info, folder)) {
                throw Error(ErrorKind::CannotWrite, path + ": not followed: " + place.Path(name) +
                                                        " is another user's link in a folder anyone may write to");
            }
            char target[PATH_MAX];
            const ssize_t size = ::readlinkat(entry.Get(), "", target, sizeof target);
            if (size < 0 || ++links > 40) {
                throw FileError(ErrorKind::CannotWrite, path, size < 0 ? errno : ELOOP);
            }
            const std::string_view text(target, static_cast<std::size_t>(size));
            if (text.starts_with('/')) {
                start(place, true);
            }
            PushNames(pending, text);
        } else if (pending.empty()) {
            place.name = name;
            return place;
        } else if (!S_ISDIR(info.st_mode)) {
            throw FileError(ErrorKind::CannotWrite, path, ENOTDIR);
        } else {
            place.folder = std::move(entry);
            // The path goes through no link, so that ".." in it goes where the walk went.
            place.folderPath = std::filesystem::path(place.Path(name)).lexically_normal().string();
        }
    }
    // Only a link to an empty name ends here: the kernel finds no file there.
    throw FileError(ErrorKind::CannotWrite, path, ENOENT);
}

// Gives make fresh names until it takes one (returns true) and returns that name; make fails with errno EEXIST for a
// name that is taken. The names are hidden and short, so that they fit wherever the target's name fits.
template <typename Make> std::string FreshName(const std::string& path, Make make) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6] = {};
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
            throw FileError(ErrorKind::CannotWrite, path, errno);
        }
        std::string name = ".tarvenne-";
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
// target is the old file's path without links.
void KeepAttributes(int fd, const std::string& target, const struct stat& old, const std::string& path) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Only the owner's own groups are open to a user who is not the administrator.
        static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), old.st_gid));
    }
    // The kernel holds a list of names, like a value, to 64 KiB: buffers that size take any of them in one call.
    std::vector<char> names(XATTR_LIST_MAX);
    const ssize_t listed = ::llistxattr(target.c_str(), names.data(), names.size());
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
        const ssize_t size = ::lgetxattr(target.c_str(), name.c_str(), value.data(), value.size());
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
    // path names the file to replace or create.
    PosixWriter(const std::string& path, bool unnamedFiles) : m_place(FindPlace(path)), m_path(path) {
        struct stat old {};
        m_replacing = ::fstatat(m_place.folder.Get(), m_place.name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
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
                KeepAttributes(m_fd, m_place.Path(m_place.name), old, m_path);
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
            const bool named = !m_tempName.empty();
            const std::string from = named ? m_tempName : LinkUnnamedFile();
            if (::renameat(Folder(), from.c_str(), Folder(), m_place.name.c_str()) != 0) {
                const int error = errno;
                if (!named) {
                    ::unlinkat(Folder(), from.c_str(), 0);
                }
                throw FileError(ErrorKind::CannotWrite, m_path, error);
            }
            if (named) {
                EndSignals::Forget();
                m_tempName.clear();
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
        if (!m_tempName.empty()) {
            ::unlinkat(Folder(), m_tempName.c_str(), 0);
            EndSignals::Forget();
            m_tempName.clear();
        }
    }

    int Folder() const { return m_place.folder.Get(); }

    void Create(bool unnamedFiles) {
        // A file whose data is written before it has any name: the kernel drops it by itself if the program ends
        // before it is linked into place.
        if (unnamedFiles) {
            m_fd = ::openat(Folder(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, kNewFileMode);
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
        m_tempName = FreshName(m_path, [this](const std::string& name) {
            m_fd = ::openat(Folder(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
            return m_fd >= 0;
        });
        EndSignals::RemoveOnSignal(m_place.Path(m_tempName));
    }

    // Gives the unnamed file a fresh name beside the target and returns it. Linking cannot replace a file, so the
    // name is a new one that the caller renames over the target.
    std::string LinkUnnamedFile() {
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
        return FreshName(m_path, [&](const std::string& name) {
            // Through /proc for any user; without /proc, by the descriptor itself, which needs more privilege.
            return ::linkat(AT_FDCWD, self.c_str(), Folder(), name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
                   (errno == ENOENT && ::linkat(m_fd, "", Folder(), name.c_str(), AT_EMPTY_PATH) == 0);
        });
    }

    // After a rename the folder's entry is on the disk only once the folder itself is synced. The file has its name
    // by now, so a failure here is only reported. A file system that does not sync folders is left as it is.
    std::string SyncDirectory() const {
        const int fd = ::openat(Folder(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            return {};
        }
        const int result = ::fsync(fd);
        const int error = errno;
        ::close(fd);
        if (result != 0 && error != EINVAL && error != EROFS) {
            return m_place.FolderForMessages() + ": the folder could not be synced to the disk: " + SystemReason(error);
        }
        return {};
    }

    const SizeLimitAsError m_sizeLimitAsError; // first, so that it lasts until everything else is released
    Place m_place;
    std::string m_path;
    bool m_replacing = false;
    mode_t m_mode = 0;
    int m_fd = -1;
    std::string m_tempName; // the named stand-in for an unnamed file, while it exists
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
    return TextStream(std::make_unique<PosixWriter>(path, m_unnamedFiles), path);
}

bool PosixFiles::FolderExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

bool PosixFiles::SameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    return std::filesystem::equivalent(first, second, error);
}

std::string PosixFiles::FullPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full.string();
}

FileSystemObject& SystemFiles() {
    static PosixFiles files;
    return files;
}
