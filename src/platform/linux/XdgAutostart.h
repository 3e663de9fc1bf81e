#pragma once

#include <optional>
#include <string>

namespace korvalin {

// The per-user autostart entry of the desktop ($XDG_CONFIG_HOME/autostart/korvalin.desktop),
// a desktop entry whose Exec line names the program to start at login.
class XdgAutostart {
public:
    explicit XdgAutostart(std::string entryPath);

    const std::string& EntryPath() const { return entryPath_; }

    // The program path from the entry's Exec line (its first argument, unquoted), or
    // nothing when there is no entry, it cannot be read, it is hidden or disabled, or it
    // has no Exec line.
    std::optional<std::string> ProgramPath() const;

    // Writes a complete entry that starts programPath, replacing any old one atomically
    // and creating the folder when missing. Returns 0 or an errno value.
    int Write(const std::string& programPath) const;

    // Removes the entry. Returns 0, ENOENT when there was none, or another errno value.
    int Remove() const;

    // The Exec value that runs program without arguments: quoted where the desktop-entry
    // rules ask for it, "%" doubled, and escaped as a string value.
    static std::string ExecValue(const std::string& program);
    // The program (first argument) of an Exec value as stored in the file.
    static std::string ProgramOfExec(const std::string& stored);

private:
    std::string entryPath_;
};

}  // namespace korvalin
