#include "base/Folders.h"

#include <sys/stat.h>

#include <cerrno>

namespace korvalin {

int CreateParentFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        if (::mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) {
            return errno;
        }
    }
    return 0;
}

}  // namespace korvalin
