#pragma once

#include <string>

namespace korvalin {

// Creates every missing folder above the file at path; a path that ends in '/' names a
// folder, which is created too. New folders are private to the user (0700), as the
// base-directory rules ask for configuration folders; existing ones are left as they
// are. Returns 0 or the errno value of the first folder that could not be created.
int CreateParentFolders(const std::string& path);

}  // namespace korvalin
