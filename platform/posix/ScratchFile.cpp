// The scratch file on POSIX: an unnamed file (O_TMPFILE), or where the file system has none, a file that is
// removed as soon as it is made. Either way only the open descriptor holds it.
#include "ScratchFile.h"

#include "EndSignals.h"
#include "Error.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kPlaceFallbacks[] = {"/var/tmp", "/tmp"};

// Where a scratch file may go, in order: $TMPDIR when it names a directory, then the usual places.
std::vector<std::string> Places() {
    std::vector<std::string> places;
    if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir != nullptr && *tmpdir != '\0') {
        std::string place = tmpdir;
        while (place.size() > 1 && place.back() == '/') {
            place.pop_back();
        }
        places.push_back(place);
    }
    for (const char* place : kPlaceFallbacks) {
        if (places.empty() || places.front() != place) {
            places.push_back(place);
        }
    }
    return places;
}

// A file in place that no name leads to, or -1 with errno set.
int CreateIn(const std::string& place) {
    const int fd = ::open(place.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    // Without support in the file system (or in an old kernel, which takes O_TMPFILE for O_DIRECTORY): a named
    // file, removed at once. Signals are held meanwhile, so that only SIGKILL could come between the two steps.
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) {
        return fd;
    }
    std::string name = place + "/tarvenne-XXXXXX";
    const EndSignals::Hold hold;
    const int named = ::mkostemp(name.data(), O_CLOEXEC);
    if (named < 0) {
        return -1;
    }
    if (::unlink(name.c_str()) != 0) {
        const int error = errno;
        ::close(named);
        errno = error;
        return -1;
    }
    return named;
}

} // namespace

ScratchFile::ScratchFile() : m_file(-1) {
    std::string reasons;
    for (const std::string& place : Places()) {
        const int fd = CreateIn(place);
        if (fd >= 0) {
            m_file = fd;
            m_place = place;
            return;
        }
        reasons += (reasons.empty() ? "" : "; ") + place + ": " + SystemReason(errno);
    }
    throw Error(ErrorKind::CannotWrite, "no scratch file for the output could be made (" + reasons + ")");
}

ScratchFile::~ScratchFile() {
    ::close(static_cast<int>(m_file));
}

void ScratchFile::Append(std::string_view data) {
    while (!data.empty()) {
        const ssize_t count = ::write(static_cast<int>(m_file), data.data(), data.size());
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(ErrorKind::CannotWrite, "the scratch file for the output in " + m_place, errno);
        }
        m_size += static_cast<std::uint64_t>(count);
        data.remove_prefix(static_cast<std::size_t>(count));
    }
}

std::size_t ScratchFile::ReadAt(std::uint64_t offset, char* data, std::size_t size) const {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count =
            ::pread(static_cast<int>(m_file), data + done, size - done, static_cast<off_t>(offset + done));
        if (count == 0) {
            break;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(ErrorKind::CannotWrite, "the scratch file for the output in " + m_place, errno);
        }
        done += static_cast<std::size_t>(count);
    }
    return done;
}
