#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Shell.h"

namespace korvalin {

class IniDocument;
class IniDocumentCache;

// Where the settings file lies. loWinDir is the system-wide configuration folder
// ("/etc/xdg/" unless the constructor is told otherwise), loProgDir the folder of the
// running program, loUser takes IniFileName as the full path, loDefUser puts the file in
// DefFilePath.
enum TIniLocation { loWinDir, loProgDir, loUser, loDefUser };

// A typed layer over one INI file that never throws: each operation records its outcome
// in ErrorCode.
//
// ErrorCode after the last operation:
//    0  success
//   -1  not ready (no section, no file name, not open) or the key is missing
//   -2  ReadInteger: the stored text is not a 32-bit whole number
//    2  opening: the file does not exist yet and can be created (Open true); 2 means
//       nothing else
//    3  the file's folder is missing (the system's ENOENT or ENOTDIR): opening cannot
//       create the file there (Open false), or a write finds the folder gone
//    5  opening: the file is read-only (no owner-write permission) and cannot be made
//       writable; a message is shown
//   other positive: an errno value, when opening finds that the file cannot be created
//       (EACCES, EROFS), when the path is a folder (EISDIR), or when a write cannot read
//       or replace the file (the file is then left as it was)
//
// Every write replaces the file atomically and keeps the keys, sections, comments and
// lines it does not touch. Names compare without regard to ASCII case; of duplicate keys
// the first one counts.
class SettingsFile {
public:
    static constexpr const char* DefaultSystemFolder = "/etc/xdg/";

    // The program folder comes from shell's program path; the read-only message is
    // shown through dialogs.
    SettingsFile(Dialogs& dialogs, const Shell& shell,
                 std::string systemFolder = DefaultSystemFolder);
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    const std::string& IniFileName() const { return iniFileName_; }
    // Closes the file first when the name changes.
    void SetIniFileName(const std::string& name);

    const std::string& Section() const { return section_; }
    void SetSection(const std::string& section) { section_ = section; }

    TIniLocation IniLocation() const { return iniLocation_; }
    // Does not reopen the file.
    void SetIniLocation(TIniLocation location) { iniLocation_ = location; }

    std::int32_t ErrorCode() const { return errorCode_; }

    const std::string& DefFilePath() const { return defFilePath_; }
    // A folder without a final slash gets one.
    void SetDefFilePath(const std::string& folder);

    bool Open() const { return open_; }
    // true (re)opens the file; false closes it.
    void SetOpen(bool open);

    // Writes between BeginUpdate and the matching EndUpdate are collected and reach the
    // file in one atomic replacement at EndUpdate (each replacement waits for the disk,
    // so saving a few dozen keys one by one would hold the caller for a long time).
    // Reads in between see the collected values. EndUpdate sets ErrorCode to the first
    // failure of the batch: a write it refused (-1 when the file is not open, or the
    // write's own code) or the replacement's errno value; 0 only when every write reached
    // the file. Closing the file or destroying the component ends an open batch too.
    void BeginUpdate();
    void EndUpdate();

    // 0 when the file can be read or does not exist yet; otherwise the errno value that
    // keeps every read at its default: EISDIR for a folder in the file's place (the file
    // is then closed), EFBIG for a file above the size limit, or what reading it failed
    // with. Other reasons for a closed file (no folder, read-only) count as 0 here.
    int ReadFailure();

    // The full path of the open file (empty while closed).
    const std::string& FilePath() const { return filePath_; }

    std::string ReadString(const std::string& name, const std::string& defaultValue);
    void WriteString(const std::string& name, const std::string& value);
    std::int32_t ReadInteger(const std::string& name, std::int32_t defaultValue);
    void WriteInteger(const std::string& name, std::int32_t value);
    bool ReadBool(const std::string& name, bool defaultValue);
    void WriteBool(const std::string& name, bool value);

private:
    std::string ComposePath() const;
    bool OpenFile();
    bool Ready();
    // The stored text, or nothing when missing (ErrorCode is then -1).
    bool LookUp(const std::string& name, std::string& value);
    void Store(const std::string& name, const std::string& value);
    // Writes the collected changes; returns 0 or an errno value.
    int Flush();
    // The cache brought up to date for a read or a single write; a file that failed to
    // load is not read again for every key while it stays unchanged (it may be large).
    int LoadForReading();

    struct Change {
        std::string section;
        std::string name;
        std::string value;
    };

    Dialogs& dialogs_;
    std::string systemFolder_;
    std::string programFolder_;
    std::string iniFileName_;
    std::string section_;
    TIniLocation iniLocation_ = loWinDir;
    std::int32_t errorCode_ = 0;
    std::string defFilePath_;
    bool open_ = false;
    std::string filePath_;
    std::unique_ptr<IniDocumentCache> cache_;
    int updateDepth_ = 0;
    std::int32_t batchError_ = 0;
    int openError_ = 0;  // why the last opening failed, 0 when it did not
    struct FileStamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        std::int64_t modifiedNs = 0;
        std::int64_t changedNs = 0;
        bool operator==(const FileStamp&) const = default;
    };
    std::optional<FileStamp> unreadableStamp_;
    int unreadableError_ = 0;  // the first write of
                               // the open batch that failed
    std::vector<Change> pending_;
    std::unique_ptr<IniDocument> pendingView_;  // the file with the collected changes
};

}  // namespace korvalin
