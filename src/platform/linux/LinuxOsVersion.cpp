#include "platform/linux/LinuxOsVersion.h"

#include <sys/utsname.h>

#include <cstdio>

namespace korvalin {

bool LinuxOsVersion::Query(OsVersionInfo& info) const {
    utsname names{};
    if (uname(&names) != 0) {
        return false;
    }
    int major = 0;
    int minor = 0;
    if (std::sscanf(names.release, "%d.%d", &major, &minor) < 1) {
        return false;
    }
    info.ntFamily = true;
    info.major = major;
    info.minor = minor;
    info.name = std::string(names.sysname) + " " + names.release;
    return true;
}

}  // namespace korvalin
