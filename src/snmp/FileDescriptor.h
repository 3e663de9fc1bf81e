#pragma once

namespace korvalin::snmp {

// Owns one file descriptor (a socket, an eventfd) and closes it, so no early return can
// leak it. -1 stands for none.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return descriptor_; }
    bool Valid() const { return descriptor_ >= 0; }

    // Closes the one held and takes descriptor instead.
    void Reset(int descriptor = -1);

private:
    int descriptor_ = -1;
};

}  // namespace korvalin::snmp
