#include "base/IniDocumentCache.h"

#include <sys/stat.h>

#include <cerrno>

#include "base/AtomicFile.h"

namespace korvalin {

bool IniDocumentCache::Signature::operator==(const Signature& other) const {
    return exists == other.exists && device == other.device && inode == other.inode &&
           size == other.size && modified.tv_sec == other.modified.tv_sec &&
           modified.tv_nsec == other.modified.tv_nsec && changed.tv_sec == other.changed.tv_sec &&
           changed.tv_nsec == other.changed.tv_nsec;
}

int IniDocumentCache::SignatureOf(const std::string& path, Signature& signature) {
    signature = Signature{};
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? 0 : errno;
    }
    signature.exists = true;
    signature.device = info.st_dev;
    signature.inode = info.st_ino;
    signature.size = info.st_size;
    signature.modified = info.st_mtim;
    signature.changed = info.st_ctim;
    return 0;
}

int IniDocumentCache::Load(const std::string& path) {
    Signature current;
    if (const int error = SignatureOf(path, current); error != 0) {
        Forget();
        return error;
    }
    if (valid_ && path == path_ && current == signature_) {
        return 0;
    }
    Forget();
    if (!current.exists) {
        valid_ = true;
        path_ = path;
        signature_ = current;
        return 0;
    }
    std::string text;
    if (const int error = AtomicFile::Read(path, text); error != 0) {
        return error;
    }
    document_ = IniDocument::Parse(text);
    valid_ = true;
    path_ = path;
    signature_ = current;
    return 0;
}

int IniDocumentCache::Save(const std::string& path, const IniDocument& document) {
    const int error = AtomicFile::Write(path, document.Serialize());
    Forget();
    if (error != 0) {
        return error;
    }
    Signature written;
    if (SignatureOf(path, written) == 0 && written.exists) {
        document_ = document;
        valid_ = true;
        path_ = path;
        signature_ = written;
    }
    return 0;
}

void IniDocumentCache::Forget() {
    valid_ = false;
    path_.clear();
    signature_ = Signature{};
    document_ = IniDocument{};
}

}  // namespace korvalin
