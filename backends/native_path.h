// How a resolved data path (backslashes, doubled) names a file on the file system; each
// backend that opens files defines it.
#pragma once

#include <string>

// The working directory is taken as it is; after it, backslashes become '/', runs of
// separators collapse, and each component is matched without regard to ASCII case ("date"
// finds "Date"): the spelling asked for first, else the first match in byte order. The data
// folder is "Date" whenever one is so named, however the path spells it. A component that
// does not exist is kept as written, inside the folder found so far.
std::string nativePath(const char* resolvedPath);
