#include "base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

namespace korvalin {

namespace {

// Closes a descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Close() {
        const int result = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

struct Place {
    std::string folder;
    std::string name;
};

Place SplitPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return {".", path};
    }
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::string ResolvedTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return path;
    }
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

int WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

std::string RandomSuffix() {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix;
    for (int i = 0; i < 8; ++i) {
        suffix += kDigits[generator() % (sizeof(kDigits) - 1)];
    }
    return suffix;
}

// An unnamed temporary file vanishes by itself when the writer dies before the rename;
// only the short step from naming it to renaming it can leave a stray file behind.
int OpenUnnamed(const Place& place, mode_t mode, int& fd) {
    fd = ::open(place.folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    return fd >= 0 ? 0 : errno;
}

int OpenNamed(const Place& place, mode_t mode, int& fd, std::string& tempPath) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath = place.folder + "/." + place.name + ".tmp-" + RandomSuffix();
        fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd >= 0 ? 0 : errno;
        }
    }
    return EEXIST;
}

int NameUnnamed(int fd, const Place& place, std::string& tempPath) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath = place.folder + "/." + place.name + ".tmp-" + RandomSuffix();
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tempPath.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            return 0;
        }
        if (errno != EEXIST) {
            return errno;
        }
    }
    return EEXIST;
}

void KeepOwnerAndMode(int fd, const struct stat& old, bool oldExists, mode_t mode) {
    // The temporary file got the umask; the new file keeps what the old one had.
    ::fchmod(fd, mode);
    if (oldExists && geteuid() == 0) {
        [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
    }
}

int SyncFolder(const std::string& folder) {
    Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!directory.Valid()) {
        return 0;
    }
    // Only a real I/O error counts; some file systems cannot flush folders at all.
    return ::fsync(directory.Get()) != 0 && errno == EIO ? EIO : 0;
}

// Writes the content to a temporary file in the folder, flushed; tempPath names it.
int WriteTemporary(const Place& place, std::string_view content, const struct stat& old,
                   bool oldExists, bool unnamed, std::string& tempPath) {
    const mode_t mode = oldExists ? (old.st_mode & 07777) : 0600;
    int fd = -1;
    tempPath.clear();
    const int opened =
        unnamed ? OpenUnnamed(place, mode, fd) : OpenNamed(place, mode, fd, tempPath);
    if (opened != 0) {
        return opened;
    }
    Descriptor file(fd);
    KeepOwnerAndMode(file.Get(), old, oldExists, mode);
    int error = WriteAll(file.Get(), content);
    if (error == 0 && ::fsync(file.Get()) != 0) {
        error = errno;
    }
    if (error == 0 && unnamed) {
        error = NameUnnamed(file.Get(), place, tempPath);
    }
    if (file.Close() != 0 && error == 0) {
        error = errno;
    }
    if (error != 0 && !tempPath.empty()) {
        ::unlink(tempPath.c_str());
        tempPath.clear();
    }
    return error;
}

}  // namespace

int AtomicFile::Read(const std::string& path, std::string& content) {
    content.clear();
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.Valid()) {
        return errno;
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) {
        return errno;
    }
    if (S_ISDIR(info.st_mode)) {
        return EISDIR;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(file.Get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            content.clear();
            return error;
        }
        if (count == 0) {
            return 0;
        }
        if (content.size() + static_cast<std::size_t>(count) > MaximumSize) {
            content.clear();
            return EFBIG;
        }
        content.append(buffer, static_cast<std::size_t>(count));
    }
}

int AtomicFile::Write(const std::string& path, std::string_view content) {
    const std::string target = ResolvedTarget(path);
    const Place place = SplitPath(target);
    struct stat old {};
    const bool oldExists = ::stat(target.c_str(), &old) == 0;
    if (oldExists && S_ISDIR(old.st_mode)) {
        return EISDIR;
    }
    std::string tempPath;
    // Without unnamed temporary files (file system, /proc) a named one does the job.
    int error = WriteTemporary(place, content, old, oldExists, true, tempPath);
    if (error != 0) {
        error = WriteTemporary(place, content, old, oldExists, false, tempPath);
    }
    if (error != 0) {
        return error;
    }
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        error = errno;
        ::unlink(tempPath.c_str());
        return error;
    }
    return SyncFolder(place.folder);
}

}  // namespace korvalin
