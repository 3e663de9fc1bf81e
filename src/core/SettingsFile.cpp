#include "core/SettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

#include "base/FolderLock.h"
#include "base/IniDocumentCache.h"

namespace korvalin {

namespace {

// A missing key reads as this text, so a stored value that is literally this text counts
// as missing too.
constexpr const char* kMissing = "INIERROR";
constexpr const char* kApplicationTitle = "Korvalin";

constexpr std::int32_t kNewFile = 2;
constexpr std::int32_t kPathNotFound = 3;
constexpr std::int32_t kReadOnly = 5;

// The ErrorCode for a system error number. A missing folder comes as ENOENT (or ENOTDIR
// when a file stands in its place); ENOENT is 2 and would read as "new file, can be
// created", so both are reported as the missing path they are.
std::int32_t FailureCode(int error) {
    return error == ENOENT || error == ENOTDIR ? kPathNotFound : error;
}

std::string WithFinalSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool ParseInt32(const std::string& text, std::int32_t& number) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-') {
            return false;
        }
    }
    const auto [end, error] = std::from_chars(first, last, number);
    return error == std::errc() && end == last && first != last;
}

bool OwnerMayWrite(const struct stat& info) {
    return (info.st_mode & S_IWUSR) != 0;
}

// The counterpart of clearing the read-only attribute: give the owner write permission.
// Only the user's own regular file is changed, found without following a link (a
// descriptor that names the entry itself, changed through its /proc name): a link, or
// another user's file, is left exactly as it is, and the atomic write decides whether it
// may be written.
bool MakeWritable(const std::string& path) {
    const int fd = ::open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    bool writable = false;
    if (::fstat(fd, &info) == 0) {
        const std::string entry = "/proc/self/fd/" + std::to_string(fd);
        writable = S_ISLNK(info.st_mode) || OwnerMayWrite(info) ||
                   (S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
                    ::chmod(entry.c_str(), (info.st_mode & 07777) | S_IWUSR) == 0);
    }
    ::close(fd);
    return writable;
}

// Creating the file and removing it again tells whether the first write will be able to
// create it.
int ProbeCreation(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return errno;
    }
    ::close(fd);
    ::unlink(path.c_str());
    return 0;
}

}  // namespace

SettingsFile::SettingsFile(Dialogs& dialogs, const Shell& shell, std::string systemFolder)
    : dialogs_(dialogs),
      systemFolder_(WithFinalSlash(std::move(systemFolder))),
      programFolder_(FolderOf(shell.ProgramPath())),
      cache_(std::make_unique<IniDocumentCache>()) {}

SettingsFile::~SettingsFile() {
    Flush();
}

void SettingsFile::SetIniFileName(const std::string& name) {
    if (name == iniFileName_) {
        return;
    }
    SetOpen(false);
    iniFileName_ = name;
}

void SettingsFile::SetDefFilePath(const std::string& folder) {
    defFilePath_ = WithFinalSlash(folder);
}

void SettingsFile::SetOpen(bool open) {
    if (!pending_.empty()) {
        errorCode_ = FailureCode(Flush());
    }
    // A batch whose writes were all refused has a view but nothing to flush; the view
    // shows the file being closed and must not answer reads of the next one.
    pendingView_.reset();
    updateDepth_ = 0;
    batchError_ = 0;
    open_ = false;
    filePath_.clear();
    cache_->Forget();
    unreadableStamp_.reset();
    if (open) {
        open_ = OpenFile();
        openError_ = open_ ? 0 : errorCode_;
    }
}

int SettingsFile::ReadFailure() {
    if (!open_) {
        return openError_ == EISDIR ? EISDIR : 0;
    }
    return LoadForReading();
}

int SettingsFile::LoadForReading() {
    struct stat info {};
    std::optional<FileStamp> stamp;
    if (::stat(filePath_.c_str(), &info) == 0) {
        const auto ns = [](const timespec& time) {
            return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
        };
        stamp =
            FileStamp{info.st_dev, info.st_ino, info.st_size, ns(info.st_mtim), ns(info.st_ctim)};
        if (unreadableStamp_ && *unreadableStamp_ == *stamp) {
            return unreadableError_;
        }
    }
    const int error = cache_->Load(filePath_);
    unreadableStamp_ = error != 0 ? stamp : std::nullopt;
    unreadableError_ = error;
    return error;
}

std::string SettingsFile::ComposePath() const {
    switch (iniLocation_) {
    case loWinDir:
        return systemFolder_ + iniFileName_;
    case loProgDir:
        return programFolder_ + iniFileName_;
    case loUser:
        return iniFileName_;
    case loDefUser:
        return defFilePath_ + iniFileName_;
    }
    return iniFileName_;
}

bool SettingsFile::OpenFile() {
    errorCode_ = 0;
    const std::string path = ComposePath();
    MakeWritable(path);
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            errorCode_ = EISDIR;
            return false;
        }
        if (!OwnerMayWrite(info) && !MakeWritable(path)) {
            errorCode_ = kReadOnly;
            dialogs_.MessageBox(
                "Kann Schreibschutz von " + path + " nicht entfernen! / Can't remove R/W flag.",
                kApplicationTitle, Dialogs::StyleOk);
            return false;
        }
    } else {
        errorCode_ = kNewFile;  // stays after success: the file is new
        if (const int error = ProbeCreation(path); error != 0) {
            errorCode_ = FailureCode(error);
            return false;
        }
    }
    filePath_ = path;
    return true;
}

bool SettingsFile::Ready() {
    errorCode_ = 0;
    if (section_.empty() || iniFileName_.empty() || !open_) {
        errorCode_ = -1;
        return false;
    }
    return true;
}

bool SettingsFile::LookUp(const std::string& name, std::string& value) {
    // An unreadable file reads like one without the key: every read gets its default.
    std::optional<std::string> stored;
    if (pendingView_) {
        stored = pendingView_->Value(section_, name);
    } else if (LoadForReading() == 0) {
        stored = cache_->Document().Value(section_, name);
    }
    if (!stored || *stored == kMissing) {
        errorCode_ = -1;
        return false;
    }
    value = std::move(*stored);
    return true;
}

void SettingsFile::Store(const std::string& name, const std::string& value) {
    if (updateDepth_ > 0) {
        if (!pendingView_) {
            if (const int error = LoadForReading(); error != 0) {
                errorCode_ = FailureCode(error);
                return;
            }
            pendingView_ = std::make_unique<IniDocument>(cache_->Document());
        }
        if (!pendingView_->SetValue(section_, name, value)) {
            errorCode_ = EINVAL;
            return;
        }
        pending_.push_back({section_, name, value});
        return;
    }
    const FolderLock lock(filePath_);
    // A file that cannot be read is not overwritten: its unknown keys would be lost.
    if (const int error = LoadForReading(); error != 0) {
        errorCode_ = FailureCode(error);
        return;
    }
    IniDocument document = cache_->Document();
    if (!document.SetValue(section_, name, value)) {
        errorCode_ = EINVAL;
        return;
    }
    errorCode_ = FailureCode(cache_->Save(filePath_, document));
}

void SettingsFile::BeginUpdate() {
    ++updateDepth_;
}

void SettingsFile::EndUpdate() {
    if (updateDepth_ == 0 || --updateDepth_ > 0) {
        return;
    }
    const int flushed = FailureCode(Flush());
    // A write the batch refused is as much a failed save as a replacement that failed.
    errorCode_ = batchError_ != 0 ? batchError_ : flushed;
    batchError_ = 0;
}

int SettingsFile::Flush() {
    pendingView_.reset();
    if (pending_.empty()) {
        return 0;
    }
    std::vector<Change> changes;
    changes.swap(pending_);
    const FolderLock lock(filePath_);
    // The changes go onto the file as it is now, so that what others wrote meanwhile stays.
    if (const int error = cache_->Load(filePath_); error != 0) {
        return error;
    }
    IniDocument document = cache_->Document();
    for (const Change& change : changes) {
        document.SetValue(change.section, change.name, change.value);
    }
    return cache_->Save(filePath_, document);
}

std::string SettingsFile::ReadString(const std::string& name, const std::string& defaultValue) {
    if (!Ready()) {
        return defaultValue;
    }
    if (name.empty()) {
        return {};
    }
    std::string value;
    return LookUp(name, value) ? value : defaultValue;
}

void SettingsFile::WriteString(const std::string& name, const std::string& value) {
    if (Ready() && !name.empty()) {
        Store(name, value);
    }
    if (updateDepth_ > 0 && errorCode_ != 0 && batchError_ == 0) {
        batchError_ = errorCode_;
    }
}

std::int32_t SettingsFile::ReadInteger(const std::string& name, std::int32_t defaultValue) {
    std::string text;
    if (!Ready() || !LookUp(name, text)) {
        return defaultValue;
    }
    std::int32_t number = 0;
    if (!ParseInt32(text, number)) {
        errorCode_ = -2;
        return defaultValue;
    }
    return number;
}

void SettingsFile::WriteInteger(const std::string& name, std::int32_t value) {
    WriteString(name, std::to_string(value));
}

bool SettingsFile::ReadBool(const std::string& name, bool defaultValue) {
    std::string text;
    if (!Ready() || !LookUp(name, text)) {
        return defaultValue;
    }
    std::int32_t number = 0;
    if (!ParseInt32(text, number)) {
        return defaultValue;  // ErrorCode stays 0
    }
    return text == "1";
}

void SettingsFile::WriteBool(const std::string& name, bool value) {
    WriteString(name, value ? "1" : "0");
}

}  // namespace korvalin
