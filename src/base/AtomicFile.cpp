#include "base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "base/Folders.h"

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

// Refuses a folder that other users may write to: they could swap the file or plant a link
// between the checks and the rename. The sticky bit keeps them off entries they do not own.
int CheckFolder(const std::string& path, const std::string& folder, std::string& failure) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
        const int error = errno;
        failure = path + ": " + folder + ": " + std::strerror(error);
        return error;
    }
    if (OtherUsersMayWrite(info)) {
        failure = path + ": the folder " + folder + " can be written by other users";
        return EPERM;
    }
    return 0;
}

std::string LinkText(const std::string& link, int& error) {
    std::string text(PATH_MAX, '\0');
    const ssize_t length = ::readlink(link.c_str(), text.data(), text.size());
    if (length < 0 || static_cast<std::size_t>(length) >= text.size()) {
        error = length < 0 ? errno : ENAMETOOLONG;
        return {};
    }
    text.resize(static_cast<std::size_t>(length));
    error = 0;
    return text;
}

// Follows the chain of symbolic links at path to the file it finally names, checking every
// link, the target and each folder on the way. Returns 0 with target set, or an errno value
// with failure set.
int ResolveTarget(const std::string& path, std::string& target, std::string& failure) {
    const uid_t user = ::geteuid();
    target = path;
    bool linked = false;
    for (int depth = 0;; ++depth) {
        if (const int error = CheckFolder(path, SplitPath(target).folder, failure); error != 0) {
            return error;
        }
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0) {
            const int error = errno;
            if (error != ENOENT) {
                failure = target + ": " + std::strerror(error);
                return error;
            }
            if (linked) {
                // Nobody vouches for a file that would come into being behind a link.
                failure = path + ": the link's target " + target + " does not exist";
                return EPERM;
            }
            return 0;
        }
        if (!S_ISLNK(info.st_mode)) {
            if (linked && info.st_uid != user) {
                failure = path + ": the link's target " + target + " belongs to another user";
                return EPERM;
            }
            return 0;
        }
        if (info.st_uid != user) {
            failure = path + ": the link " + target + " belongs to another user";
            return EPERM;
        }
        if (depth >= 40) {
            failure = path + ": too many levels of symbolic links";
            return ELOOP;
        }
        int error = 0;
        const std::string text = LinkText(target, error);
        if (error != 0) {
            failure = target + ": " + std::strerror(error);
            return error;
        }
        target =
            !text.empty() && text.front() == '/' ? text : SplitPath(target).folder + "/" + text;
        linked = true;
    }
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

int AtomicFile::Write(const std::string& path, std::string_view content, std::string& failure) {
    failure.clear();
    std::string target;
    if (const int error = ResolveTarget(path, target, failure); error != 0) {
        return error;
    }
    const Place place = SplitPath(target);
    const auto failed = [&failure, &target](int error) {
        failure = target + ": " + std::strerror(error);
        return error;
    };
    struct stat old {};
    const bool oldExists = ::stat(target.c_str(), &old) == 0;
    if (oldExists && S_ISDIR(old.st_mode)) {
        return failed(EISDIR);
    }
    std::string tempPath;
    // Without unnamed temporary files (file system, /proc) a named one does the job.
    int error = WriteTemporary(place, content, old, oldExists, true, tempPath);
    if (error != 0) {
        error = WriteTemporary(place, content, old, oldExists, false, tempPath);
    }
    if (error != 0) {
        return failed(error);
    }
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        error = errno;
        ::unlink(tempPath.c_str());
        return failed(error);
    }
    error = SyncFolder(place.folder);
    return error != 0 ? failed(error) : 0;
}

int AtomicFile::Write(const std::string& path, std::string_view content) {
    std::string failure;
    const int error = Write(path, content, failure);
    if (error == EPERM || error == ELOOP) {
        std::fprintf(stderr, "korvalin: not written: %s\n", failure.c_str());
    }
    return error;
}

}  // namespace korvalin
