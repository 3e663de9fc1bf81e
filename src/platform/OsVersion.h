#pragma once

#include <string>

namespace korvalin {

struct OsVersionInfo {
    bool ntFamily = false;  // a family of systems with protected processes (always true here)
    int major = 0;
    int minor = 0;
    std::string name;  // the kernel's name and release, for display
};

// The operating system's version, queried once at start.
class OsVersion {
public:
    virtual ~OsVersion() = default;
    // False when the version cannot be determined; info is then left unchanged.
    virtual bool Query(OsVersionInfo& info) const = 0;
};

}  // namespace korvalin
