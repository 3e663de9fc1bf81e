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
    // power loss leaves either the old or the new content. A symbolic link is followed and
    // its target replaced; the old file's permissions are kept (a new file gets 0600).
    // Returns 0 or an errno value; on failure the old file is untouched.
    static int Write(const std::string& path, std::string_view content);
};

}  // namespace korvalin
