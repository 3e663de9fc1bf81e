#include "base/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace korvalin {

namespace {

std::string FolderOf(const std::string& filePath) {
    const std::size_t slash = filePath.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : filePath.substr(0, slash);
}

}  // namespace

FolderLock::FolderLock(const std::string& filePath) {
    descriptor_ = ::open(FolderOf(filePath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor_ < 0) {
        return;
    }
    while (::flock(descriptor_, LOCK_EX) != 0 && errno == EINTR) {
    }
}

FolderLock::~FolderLock() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);  // closing releases the lock
    }
}

}  // namespace korvalin
