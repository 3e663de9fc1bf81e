#include "snmp/FileDescriptor.h"

#include <unistd.h>

#include <utility>

namespace korvalin::snmp {

FileDescriptor::~FileDescriptor() {
    Reset();
}

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        Reset(std::exchange(other.descriptor_, -1));
    }
    return *this;
}

void FileDescriptor::Reset(int descriptor) {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
    descriptor_ = descriptor;
}

}  // namespace korvalin::snmp
