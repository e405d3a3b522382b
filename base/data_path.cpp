// resolveDataPath: the one way every data file is named.
#include "base/data_path.h"

#include <cstdio>
#include <cstring>

#include "base/cp932.h"
#include "platform/platform.h"

bool resolveDataPathFrom(char* dest, const char* workingDirectory, const char* relativePath) {
    dest[0] = '\0';
    size_t length = std::strlen(workingDirectory) + std::strlen(relativePath);
    if (length >= dataPathSize) return false;
    std::strcpy(dest, workingDirectory);
    std::strcat(dest, relativePath);

    // The test looks only at the byte before the backslash, not at character boundaries:
    // a separator after a trail byte that happens to be in the lead range stays single.
    for (size_t i = 0; i < length; ++i) {
        bool afterLead = i > 0 && isCp932LeadByte(static_cast<unsigned char>(dest[i - 1]));
        if (dest[i] != '\\' || afterLead) continue;
        if (length + 1 >= dataPathSize) {
            dest[0] = '\0';
            return false;
        }
        std::memmove(dest + i + 1, dest + i, length - i + 1);
        ++length;
        ++i;
    }
    return true;
}

bool workingFolderTooLong(const char* relativePath, char* folder, size_t folderSize) {
    // Longer than any path the platform allows, so that a folder too long for resolveDataPath
    // still reads here.
    char workingDirectory[8192];
    if (!currentDirectory(workingDirectory, sizeof workingDirectory)) return false;
    char resolved[dataPathSize];
    if (std::strlen(workingDirectory) < 2048 &&
        resolveDataPathFrom(resolved, workingDirectory, relativePath)) {
        return false;
    }
    if (folder && folderSize > 0) std::snprintf(folder, folderSize, "%s", workingDirectory);
    return true;
}

bool resolveDataPath(char* dest, const char* relativePath) {
    // Room for a working directory as long as the C runtime would hand back.
    char workingDirectory[2048];
    if (!currentDirectory(workingDirectory, sizeof workingDirectory)) {
        dest[0] = '\0';
        return false;
    }
    return resolveDataPathFrom(dest, workingDirectory, relativePath);
}
