#pragma once

#include "platform/OsVersion.h"

namespace korvalin {

// The kernel's release from uname(2): "6.1.0-18-amd64" gives major 6, minor 1.
class LinuxOsVersion final : public OsVersion {
public:
    bool Query(OsVersionInfo& info) const override;
};

}  // namespace korvalin
