#include "base/Folders.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace korvalin {

int CreateParentFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        if (::mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) {
            return errno;
        }
    }
    return 0;
}

namespace {

bool IsPrivateGroupOfUser(gid_t group) {
    if (group != ::getegid()) {
        return false;
    }
    std::vector<char> userBuffer(16384);
    std::vector<char> groupBuffer(16384);
    struct passwd user {};
    struct passwd* foundUser = nullptr;
    struct group entry {};
    struct group* foundGroup = nullptr;
    if (::getpwuid_r(::geteuid(), &user, userBuffer.data(), userBuffer.size(), &foundUser) != 0 ||
        foundUser == nullptr ||
        ::getgrgid_r(group, &entry, groupBuffer.data(), groupBuffer.size(), &foundGroup) != 0 ||
        foundGroup == nullptr || std::strcmp(entry.gr_name, user.pw_name) != 0) {
        return false;
    }
    for (char** member = entry.gr_mem; *member != nullptr; ++member) {
        if (std::strcmp(*member, user.pw_name) != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool OtherUsersMayWrite(const struct stat& info) {
    if ((info.st_mode & S_ISVTX) != 0) {
        return false;
    }
    if ((info.st_mode & S_IWOTH) != 0) {
        return true;
    }
    return (info.st_mode & S_IWGRP) != 0 && !IsPrivateGroupOfUser(info.st_gid);
}

}  // namespace korvalin
