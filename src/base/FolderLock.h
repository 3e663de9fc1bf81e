#pragma once

#include <string>

namespace korvalin {

// Holds an exclusive advisory lock (flock) on the folder of a file while it lives, so
// that read-modify-write cycles on files of that folder by several objects or processes
// do not lose each other's changes. Waits for the lock; without a folder it locks
// nothing.
class FolderLock {
public:
    explicit FolderLock(const std::string& filePath);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int descriptor_ = -1;
};

}  // namespace korvalin
