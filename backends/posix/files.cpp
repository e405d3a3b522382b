// File services of the POSIX backends (headless and GTK): working directory and data files.
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "backends/native_path.h"
#include "platform/platform.h"

namespace {

std::string collapseSeparators(const char* resolvedPath) {
    std::string path;
    for (const char* p = resolvedPath; *p; ++p) {
        char c = *p == '\\' ? '/' : *p;
        if (c == '/' && !path.empty() && path.back() == '/') continue;
        path += c;
    }
    return path;
}

bool exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

// The entry of folder whose name equals name without regard to ASCII case, if any.
bool findWithoutCase(const std::string& folder, const std::string& name, std::string& found) {
    DIR* dir = ::opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir) return false;
    bool matched = false;
    while (dirent* entry = ::readdir(dir)) {
        if (::strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = entry->d_name;
            matched = true;
            break;
        }
    }
    ::closedir(dir);
    return matched;
}

}  // namespace

std::string nativePath(const char* resolvedPath) {
    std::string path = collapseSeparators(resolvedPath);
    char cwdBuffer[4096];
    if (!::getcwd(cwdBuffer, sizeof cwdBuffer)) return path;
    std::string cwd = cwdBuffer;
    if (cwd.size() > 1 && cwd.back() == '/') cwd.pop_back();
    std::string prefix = cwd == "/" ? "" : cwd;
    if (path.compare(0, prefix.size() + 1, prefix + "/") != 0) return path;

    std::string result = prefix;
    size_t start = prefix.size() + 1;
    bool matching = true;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string component = path.substr(start, end - start);
        if (!component.empty()) {
            std::string candidate = result + "/" + component;
            std::string found;
            if (matching && !exists(candidate) && findWithoutCase(result, component, found)) {
                candidate = result + "/" + found;
            } else if (!exists(candidate)) {
                matching = false;  // below a missing folder nothing can match
            }
            result = candidate;
        }
        start = end + 1;
    }
    if (!path.empty() && path.back() == '/') result += '/';
    return result;
}

bool currentDirectory(char* buffer, size_t size) {
    if (size == 0) return false;
    if (!::getcwd(buffer, size)) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

std::FILE* openDataFile(const char* resolvedPath, const char* mode) {
    if (!resolvedPath || !*resolvedPath) return nullptr;
    std::string path = nativePath(resolvedPath);
    struct stat info;
    // Only regular files: a folder or a device named like a data file is a missing file.
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return nullptr;
    return std::fopen(path.c_str(), mode);
}

bool syncDataFile(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
    return ::fsync(::fileno(file)) == 0;
}

bool replaceDataFile(const char* fromResolved, const char* toResolved) {
    if (!*fromResolved || !*toResolved) return false;
    std::string from = nativePath(fromResolved);
    std::string to = nativePath(toResolved);
    return std::rename(from.c_str(), to.c_str()) == 0;
}

void removeDataFile(const char* resolvedPath) {
    if (!*resolvedPath) return;
    std::string path = nativePath(resolvedPath);
    std::remove(path.c_str());
}
