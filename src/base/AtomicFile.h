#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvalin {

// Files read whole and replaced whole, so that no reader ever sees half a write.
class AtomicFile {
public:
    // Larger files are refused rather than loaded: a settings file never comes near it.
    static constexpr std::size_t MaximumSize = 64 * 1024 * 1024;

    // Reads the whole file into content. Returns 0 or an errno value (EISDIR for a
    // folder, EFBIG above MaximumSize).
    static int Read(const std::string& path, std::string& content);

    // Replaces the file's content: a temporary file in the same folder is written, flushed
    // to the disk, renamed over the old file, and the folder is flushed, so a crash or a
    // power loss leaves either the old or the new content. The old file's permissions are
    // kept (a new file gets 0600).
    //
    // The write is refused with EPERM, touching nothing, when another user could steer it
    // onto a file of their choosing: when a folder it passes (the file's, and each link's)
    // can be written by other users (group or world writable without the sticky bit), or
    // when a symbolic link on the way, or the existing file the links finally name, does
    // not belong to the user the program runs as (effective uid).
    //
    // Returns 0 or an errno value; on failure the old file is untouched and failure says
    // which path failed and why. The two-argument form reports a refusal on stderr.
    static int Write(const std::string& path, std::string_view content, std::string& failure);
    static int Write(const std::string& path, std::string_view content);
};

}  // namespace korvalin
