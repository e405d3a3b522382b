// How a resolved data path (backslashes, doubled) names a file on the file system; each
// backend that opens files defines it.
#pragma once

#include <string>

// Backslashes become '/', runs of separators collapse, and each component below the working
// directory is matched without regard to ASCII case ("date" finds "Date"). A component that
// does not exist is kept as written, inside the folder found so far.
std::string nativePath(const char* resolvedPath);
