// File services of the Windows backend: working directory and data files, named in UTF-16.
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "backends/native_path.h"
#include "backends/win32/wide.h"
#include "platform/platform.h"

// The headless backend names files as the machine it runs on does: on Windows, the path with
// single separators, each component below the working directory spelled as on the disk
// (Windows ignores case when it opens a file; this keeps recorded names alike everywhere).
std::string nativePath(const char* resolvedPath) {
    if (!resolvedPath) return {};
    std::wstring path = widePath(resolvedPath);
    wchar_t cwdBuffer[MAX_PATH];
    DWORD cwdLength = GetCurrentDirectoryW(MAX_PATH, cwdBuffer);
    std::wstring cwd(cwdBuffer, cwdLength < MAX_PATH ? cwdLength : 0);
    if (!cwd.empty() && cwd.back() == L'\\') cwd.pop_back();
    if (!cwd.empty() && path.size() > cwd.size() && path[cwd.size()] == L'\\' &&
        CompareStringOrdinal(path.c_str(), static_cast<int>(cwd.size()), cwd.c_str(),
                             static_cast<int>(cwd.size()), TRUE) == CSTR_EQUAL) {
        std::wstring result = path.substr(0, cwd.size());
        size_t start = cwd.size() + 1;
        bool matching = true;
        while (start <= path.size()) {
            size_t end = path.find(L'\\', start);
            if (end == std::wstring::npos) end = path.size();
            std::wstring component = path.substr(start, end - start);
            result += L'\\';
            WIN32_FIND_DATAW found;
            HANDLE search = INVALID_HANDLE_VALUE;
            // Wildcards would match other names; such a component is kept as written.
            if (matching && !component.empty() &&
                component.find_first_of(L"*?") == std::wstring::npos) {
                search = FindFirstFileW((result + component).c_str(), &found);
            }
            if (search != INVALID_HANDLE_VALUE) {
                result += found.cFileName;
                FindClose(search);
            } else {
                matching = false;  // below a missing folder nothing can match
                result += component;
            }
            start = end + 1;
        }
        path = result;
    }
    std::string bytes;
    if (!cp932FromWide(path.c_str(), bytes)) return resolvedPath;
    return bytes;
}

bool currentDirectory(char* buffer, size_t size) {
    if (size == 0) return false;
    buffer[0] = '\0';
    DWORD length = GetCurrentDirectoryW(0, nullptr);
    if (length == 0) return false;
    std::wstring wide(length, L'\0');
    length = GetCurrentDirectoryW(length, wide.data());
    if (length == 0 || length >= wide.size()) return false;
    wide.resize(length);
    // The game's paths are code page 932; a folder it cannot name is an unreadable one.
    std::string path;
    if (!cp932FromWide(wide.c_str(), path) || path.empty() || path.size() >= size) return false;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return true;
}

std::FILE* openDataFile(const char* resolvedPath, const char* mode) {
    if (!resolvedPath || !*resolvedPath || !mode) return nullptr;
    std::wstring path = widePath(resolvedPath);
    // Only regular files: a folder named like a data file is a missing file.
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return nullptr;
    }
    std::wstring wideMode = wideFromCp932(mode);
    return _wfopen(path.c_str(), wideMode.c_str());
}

bool syncDataFile(std::FILE* file) {
    if (!file || std::fflush(file) != 0) return false;
    return _commit(_fileno(file)) == 0;
}

bool replaceDataFile(const char* fromResolved, const char* toResolved) {
    if (!fromResolved || !toResolved || !*fromResolved || !*toResolved) return false;
    std::wstring from = widePath(fromResolved);
    std::wstring to = widePath(toResolved);
    // Write-through: the rename is on the disk when this returns, like the synced contents.
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void removeDataFile(const char* resolvedPath) {
    if (!resolvedPath || !*resolvedPath) return;
    std::wstring path = widePath(resolvedPath);
    DeleteFileW(path.c_str());
}
