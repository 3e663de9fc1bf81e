#pragma once

#include <sys/types.h>

#include <ctime>
#include <string>

#include "base/IniDocument.h"

namespace korvalin {

// The parsed content of one INI file, read again only when the file changed on disk
// (another object or process replaced it: identity, size or times differ), so several
// readers and writers of one file always see its current content.
class IniDocumentCache {
public:
    // Brings Document() up to date with the file. A missing file reads as an empty
    // document. Returns 0 or an errno value; after an error Document() is empty.
    int Load(const std::string& path);

    const IniDocument& Document() const { return document_; }

    // Replaces the file atomically with document and keeps it as the current content.
    // Returns 0 or an errno value (the cache is then forgotten).
    int Save(const std::string& path, const IniDocument& document);

    void Forget();

private:
    struct Signature {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
        bool operator==(const Signature& other) const;
    };

    static int SignatureOf(const std::string& path, Signature& signature);

    bool valid_ = false;
    std::string path_;
    Signature signature_;
    IniDocument document_;
};

}  // namespace korvalin
