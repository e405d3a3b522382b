// File services of the POSIX backends (headless and GTK): working directory and data files.
#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "backends/native_path.h"
#include "backends/posix/file_names.h"
#include "base/cp932.h"
#include "platform/platform.h"

namespace {

std::string collapseSeparators(const std::string& resolved) {
    std::string path;
    for (char byte : resolved) {
        char c = byte == '\\' ? '/' : byte;
        if (c == '/' && !path.empty() && path.back() == '/') continue;
        path += c;
    }
    return path;
}

// The working directory as path resolution leaves it at the front of a resolved path: each
// backslash doubled unless it follows a lead byte.
std::string asResolved(const std::string& folder) {
    std::string doubled;
    for (size_t i = 0; i < folder.size(); ++i) {
        doubled += folder[i];
        bool afterLead = i > 0 && isCp932LeadByte(static_cast<unsigned char>(folder[i - 1]));
        if (folder[i] == '\\' && !afterLead) doubled += '\\';
    }
    return doubled;
}

bool exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

bool isFolder(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The entry of folder whose name equals name without regard to ASCII case; of several, the
// first in byte order, so that every path asking for it gets the same one.
bool findWithoutCase(const std::string& folder, const std::string& name, std::string& found) {
    DIR* dir = ::opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir) return false;
    bool matched = false;
    while (dirent* entry = ::readdir(dir)) {
        if (::strcasecmp(entry->d_name, name.c_str()) != 0) continue;
        if (!matched || found.compare(entry->d_name) > 0) found = entry->d_name;
        matched = true;
    }
    ::closedir(dir);
    return matched;
}

// Eight hex digits that differ from one call to the next and between processes; O_EXCL, not
// the name, is what keeps another file from being used.
std::string uniqueSuffix() {
    static uint64_t calls = 0;
    timespec now = {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    uint64_t x = static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(now.tv_sec) << 30) ^
                 (static_cast<uint64_t>(::getpid()) << 40) ^ (++calls * 0x9E3779B97F4A7C15ull);
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    x ^= x >> 31;
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(x));
    return digits;
}

// Temporary files are named <file>.<eight hex digits>.tmp.
bool isTemporaryOf(const std::string& entry, const std::string& name) {
    const size_t length = name.size() + 1 + 8 + 4;
    if (entry.size() != length || entry.compare(0, name.size(), name) != 0) return false;
    if (entry[name.size()] != '.' || entry.compare(length - 4, 4, ".tmp") != 0) return false;
    for (size_t i = name.size() + 1; i < name.size() + 9; ++i) {
        if (!std::strchr("0123456789abcdef", entry[i])) return false;
    }
    return true;
}

// A new file beside target that did not exist before, never reached through a link.
int createTemporary(const std::string& target, std::string& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = target + "." + uniqueSuffix() + ".tmp";
        int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool writeAll(int fd, const void* bytes, size_t size) {
    const char* at = static_cast<const char*>(bytes);
    while (size > 0) {
        ssize_t written = ::write(fd, at, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        at += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A ranking kept elsewhere and linked into the data folder is replaced where it really is.
std::string realTarget(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info;
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        char target[4096];
        ssize_t length = ::readlink(current.c_str(), target, sizeof target - 1);
        if (length <= 0) return current;
        target[length] = '\0';
        current = target[0] == '/' ? std::string(target) : folderOf(current) + "/" + target;
    }
    return path;
}

void removeTemporariesOf(const std::string& target) {
    const std::string folder = folderOf(target);
    const std::string name = nameOf(target);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (dirent* entry = ::readdir(dir)) {
        if (isTemporaryOf(entry->d_name, name)) ::unlink((folder + "/" + entry->d_name).c_str());
    }
    ::closedir(dir);
}

std::string nativePath(const char* resolvedPath) {
    const std::string resolved = resolvedPath ? resolvedPath : "";
    char cwdBuffer[4096];
    if (!::getcwd(cwdBuffer, sizeof cwdBuffer)) return collapseSeparators(resolved);
    // The working directory's own bytes are a POSIX name, backslashes and all: only the
    // separators after it come from a data path literal.
    const std::string cwd = cwdBuffer;
    const std::string prefix = asResolved(cwd);
    if (resolved.size() <= prefix.size() || resolved.compare(0, prefix.size(), prefix) != 0 ||
        resolved[prefix.size()] != '\\') {
        return collapseSeparators(resolved);
    }

    std::string result = cwd == "/" ? "" : cwd;
    size_t start = prefix.size();
    bool first = true;
    bool matching = true;
    while (start < resolved.size()) {
        size_t end = resolved.find_first_of("\\/", start);
        if (end == std::string::npos) end = resolved.size();
        std::string component = resolved.substr(start, end - start);
        start = end + 1;
        if (component.empty()) continue;
        // Every data path names the data folder "Date" but the ranking's, which spells it
        // "date": where case counts, both must still lead to the folder of the word list.
        if (first && ::strcasecmp(component.c_str(), "Date") == 0 && isFolder(result + "/Date")) {
            component = "Date";
        }
        first = false;
        std::string candidate = result + "/" + component;
        std::string found;
        if (matching && !exists(candidate) && findWithoutCase(result, component, found)) {
            candidate = result + "/" + found;
        } else if (!exists(candidate)) {
            matching = false;  // below a missing folder nothing can match
        }
        result = candidate;
    }
    if (resolved.back() == '\\' || resolved.back() == '/') result += '/';
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

bool replaceDataFile(const char* resolvedPath, const void* bytes, size_t size) {
    if (!resolvedPath || !*resolvedPath || (size > 0 && !bytes)) return false;
    const std::string target = realTarget(nativePath(resolvedPath));
    struct stat old;
    const bool hadOld = ::stat(target.c_str(), &old) == 0;
    if (hadOld && !S_ISREG(old.st_mode)) return false;

    std::string temporary;
    int fd = createTemporary(target, temporary);
    if (fd < 0) return false;
    bool written = writeAll(fd, bytes, size);
    if (written && hadOld) {
        // A table the player shared keeps its owner (where we may give it away) and its mode,
        // the owner first: a change of owner clears the set-id bits. A file system that keeps
        // neither (a FAT stick) still gets the score.
        [[maybe_unused]] int owned = ::fchown(fd, old.st_uid, old.st_gid);
        [[maybe_unused]] int moded = ::fchmod(fd, old.st_mode & 07777);
    }
    written = written && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself on the disk, as the contents are.
    int folder = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

bool appendDataFile(const char* resolvedPath, const void* bytes, size_t size) {
    if (!resolvedPath || !*resolvedPath || (size > 0 && !bytes)) return false;
    const std::string target = realTarget(nativePath(resolvedPath));
    // Non-blocking: a pipe planted under the name is refused at once, never waited on.
    constexpr int flags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    bool made = false;
    int fd = ::open(target.c_str(), flags);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(target.c_str(), flags | O_CREAT | O_EXCL, 0666);
        made = fd >= 0;
    }
    if (fd < 0) return false;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    bool written = writeAll(fd, bytes, size) && ::fsync(fd) == 0;
    // Whatever part of the bytes reached the file goes again, on the disk too.
    if (!written && !made && ::ftruncate(fd, info.st_size) == 0) ::fsync(fd);
    written = ::close(fd) == 0 && written;
    if (!written && made) ::unlink(target.c_str());
    // A close that reports a lost write may leave bytes in the file all the same.
    if (!written && !made) {
        [[maybe_unused]] int cut = ::truncate(target.c_str(), info.st_size);
    }
    return written;
}

size_t cp932FromUtf8(const char* utf8, size_t size, char* out) {
    // glibc knows the code page by its number; other C libraries (the browser's) by name.
    iconv_t converter = ::iconv_open("CP932", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) converter = ::iconv_open("SHIFT_JIS", "UTF-8");
    size_t written = 0;
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        // No converter on this system: ASCII passes, every other character is unknown.
        for (size_t i = 0; i < size; ++i) {
            unsigned char byte = static_cast<unsigned char>(utf8[i]);
            if (byte < 0x80) out[written++] = static_cast<char>(byte);
            if (byte >= 0xC0) out[written++] = '?';
        }
        return written;
    }
    char* in = const_cast<char*>(utf8);
    size_t inLeft = size;
    char* to = out;
    size_t outLeft = size;
    while (inLeft > 0) {
        if (::iconv(converter, &in, &inLeft, &to, &outLeft) != static_cast<size_t>(-1)) break;
        if (errno != EILSEQ || outLeft == 0) break;
        // A character the code page lacks: one '?', and on past its bytes.
        *to++ = '?';
        --outLeft;
        size_t skip = 1;
        while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) ++skip;
        in += skip;
        inLeft -= skip;
    }
    ::iconv_close(converter);
    return static_cast<size_t>(to - out);
}
