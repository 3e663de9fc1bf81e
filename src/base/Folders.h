#pragma once

#include <sys/stat.h>

#include <string>

namespace korvalin {

// Creates every missing folder above the file at path; a path that ends in '/' names a
// folder, which is created too. New folders are private to the user (0700), as the
// base-directory rules ask for configuration folders; existing ones are left as they
// are. Returns 0 or the errno value of the first folder that could not be created.
int CreateParentFolders(const std::string& path);

// Whether users other than this one may create, replace or remove entries in the folder
// that info describes: others or its group may write to it, and it has no sticky bit. A
// group that is the user's own private group (the primary group, named like the user,
// without further members, as systems with user private groups and umask 002 make every
// folder) counts as the user's.
bool OtherUsersMayWrite(const struct stat& info);

}  // namespace korvalin
