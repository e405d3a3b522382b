// Names of the POSIX file services that the lock shares with the reads and writes.
#pragma once

#include <string>

// The file a native path names once symbolic links of its last component are followed. A
// link that leads nowhere names the file it would create; a loop names the path itself.
std::string realTarget(const std::string& path);

// The folder and the last component of a native path.
std::string folderOf(const std::string& path);
std::string nameOf(const std::string& path);

// Removes the temporary files of replacements of target that a killed writer left.
void removeTemporariesOf(const std::string& target);
