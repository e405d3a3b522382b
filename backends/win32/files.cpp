// File services of the Windows backend: working directory and data files, named in UTF-16.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "backends/native_path.h"
#include "backends/win32/wide.h"
#include "platform/platform.h"

struct NativeFileLock {
    HANDLE mutex;  // null when the folder's mutex is not held
    HANDLE file;   // INVALID_HANDLE_VALUE when the lock file's lock is not held
};

namespace {

// The longest pause between two tries while waiting: another copy's write takes milliseconds.
constexpr DWORD longestPauseMs = 50;

// The file a path names once links are followed: a ranking kept elsewhere and linked into
// the data folder is replaced where it really is. A link that leads nowhere is the path.
std::wstring realTarget(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return path;
    }
    HANDLE file =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return path;
    std::wstring final(32768, L'\0');
    DWORD length = GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(file);
    if (length == 0 || length >= final.size()) return path;
    final.resize(length);
    // The name comes back in its long form, \\?\C:\... or \\?\UNC\server\...
    if (final.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + final.substr(8);
    if (final.compare(0, 4, L"\\\\?\\") == 0) return final.substr(4);
    return final;
}

std::wstring folderOf(const std::wstring& path) {
    size_t separator = path.rfind(L'\\');
    return separator == std::wstring::npos ? L"." : path.substr(0, separator);
}

std::wstring nameOf(const std::wstring& path) {
    size_t separator = path.rfind(L'\\');
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

// Eight hex digits that differ from one call to the next and between processes; CREATE_NEW,
// not the name, is what keeps another file from being used.
std::wstring uniqueSuffix() {
    static uint64_t calls = 0;
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    uint64_t x = static_cast<uint64_t>(now.QuadPart) ^
                 (static_cast<uint64_t>(GetCurrentProcessId()) << 40) ^
                 (++calls * 0x9E3779B97F4A7C15ull);
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    x ^= x >> 31;
    wchar_t digits[9];
    swprintf(digits, 9, L"%08x", static_cast<unsigned>(x));
    return digits;
}

// Temporary files are named <file>.<eight hex digits>.tmp.
bool isTemporaryOf(const std::wstring& entry, const std::wstring& name) {
    const size_t length = name.size() + 1 + 8 + 4;
    if (entry.size() != length || entry.compare(0, name.size(), name) != 0) return false;
    if (entry[name.size()] != L'.' || entry.compare(length - 4, 4, L".tmp") != 0) return false;
    for (size_t i = name.size() + 1; i < name.size() + 9; ++i) {
        if (!std::wcschr(L"0123456789abcdef", entry[i])) return false;
    }
    return true;
}

void removeTemporariesOf(const std::wstring& target) {
    const std::wstring folder = folderOf(target);
    const std::wstring name = nameOf(target);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\" + name + L".*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (isTemporaryOf(found.cFileName, name))
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

bool writeAll(HANDLE file, const void* bytes, size_t size) {
    const char* at = static_cast<const char*>(bytes);
    for (size_t left = size; left > 0;) {
        DWORD chunk = left > (1u << 20) ? (1u << 20) : static_cast<DWORD>(left);
        DWORD done = 0;
        if (!WriteFile(file, at, chunk, &done, nullptr) || done != chunk) return false;
        at += done;
        left -= done;
    }
    return true;
}

enum class Try { taken, busy, refused };

// A mutex of the session named after the data folder as the disk names it (links followed,
// letters in lower case): every copy of the game on this machine asks for the same one,
// whatever stands under the lock file's name. Null when the folder cannot be named.
HANDLE folderMutex(const std::wstring& folder) {
    HANDLE handle =
        CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    std::wstring final(32768, L'\0');
    DWORD length = GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(handle);
    if (length == 0 || length >= final.size()) return nullptr;
    final.resize(length);
    CharLowerBuffW(final.data(), length);
    uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : final) hash = (hash ^ static_cast<uint16_t>(c)) * 1099511628211ull;
    std::wstring name = L"Local\\Keyfall-data-";
    for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[hash >> shift & 15];
    return CreateMutexW(nullptr, FALSE, name.c_str());
}

// A mutex whose holder ended without letting go is had at once: the lock died with it.
Try tryMutex(HANDLE mutex) {
    if (!mutex) return Try::refused;
    DWORD result = WaitForSingleObject(mutex, 0);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) return Try::taken;
    return result == WAIT_TIMEOUT ? Try::busy : Try::refused;
}

Try tryFileLock(HANDLE file) {
    if (file == INVALID_HANDLE_VALUE) return Try::refused;
    OVERLAPPED first = {};
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &first)) {
        return Try::taken;
    }
    return GetLastError() == ERROR_LOCK_VIOLATION ? Try::busy : Try::refused;
}

// The lock file, or INVALID_HANDLE_VALUE when it cannot serve; a link under its name is
// opened as itself and refused, never followed. refused tells something in the way from a
// folder where nothing can be made (which the write itself will find).
HANDLE openLockFile(const std::wstring& path, bool& refused) {
    constexpr DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    constexpr DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                              OPEN_ALWAYS, flags, nullptr);
    // Another player's lock file may be read-only to us; a lock needs no write access.
    if (file == INVALID_HANDLE_VALUE) {
        file =
            CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, flags, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) {
        refused = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        return file;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        CloseHandle(file);
        refused = true;
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

}  // namespace

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

bool replaceDataFile(const char* resolvedPath, const void* bytes, size_t size) {
    if (!resolvedPath || !*resolvedPath || (size > 0 && !bytes)) return false;
    const std::wstring target = realTarget(widePath(resolvedPath));
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = target + L"." + uniqueSuffix() + L".tmp";
        // CREATE_NEW: a name that exists, a planted link included, is never written through.
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
            GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = writeAll(file, bytes, size);
    written = written && FlushFileBuffers(file);
    written = CloseHandle(file) && written;
    // Write-through: the rename is on the disk when this returns, like the synced contents.
    if (!written || !MoveFileExW(temporary.c_str(), target.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

bool appendDataFile(const char* resolvedPath, const void* bytes, size_t size) {
    if (!resolvedPath || !*resolvedPath || (size > 0 && !bytes)) return false;
    const std::wstring path = widePath(resolvedPath);
    // Links are followed, as by every open; a folder under the name does not open this way.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool made = GetLastError() != ERROR_ALREADY_EXISTS;
    BY_HANDLE_FILE_INFORMATION info;
    LARGE_INTEGER oldLength = {};
    LARGE_INTEGER none = {};
    bool written = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
                   !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                   GetFileSizeEx(file, &oldLength) &&
                   SetFilePointerEx(file, none, nullptr, FILE_END) && writeAll(file, bytes, size) &&
                   FlushFileBuffers(file);
    // Whatever part of the bytes reached the file goes again, on the disk too.
    if (!written && !made && SetFilePointerEx(file, oldLength, nullptr, FILE_BEGIN) &&
        SetEndOfFile(file)) {
        FlushFileBuffers(file);
    }
    written = CloseHandle(file) && written;
    if (!written && made) DeleteFileW(path.c_str());
    return written;
}

FileLock lockDataFile(const char* resolvedPath, unsigned waitMs, LockAttempt& attempt) {
    attempt = LockAttempt{};
    if (!resolvedPath || !*resolvedPath) return nullptr;
    const std::wstring target = realTarget(widePath(resolvedPath));
    // Both are asked for, always in this order, so that two copies keep each other out
    // whenever one of them works for both: the mutex whatever stands under the lock file's
    // name, the lock file's lock across machines (a network share) and against copies of
    // the game that know only the lock file.
    HANDLE mutex = folderMutex(folderOf(target));
    HANDLE file = openLockFile(target + L".lock", attempt.lockFileRefused);
    const ULONGLONG deadline = GetTickCount64() + waitMs;
    DWORD pauseMs = 1;
    for (;;) {
        const Try onMutex = tryMutex(mutex);
        const Try onFile = onMutex == Try::busy ? Try::busy : tryFileLock(file);
        if (onMutex != Try::busy && onFile != Try::busy) {
            // A lock file whose file system refuses locks is in the way as much as a folder.
            if (file != INVALID_HANDLE_VALUE && onFile == Try::refused) {
                attempt.lockFileRefused = true;
            }
            const bool onMutexHeld = onMutex == Try::taken;
            const bool onFileHeld = onFile == Try::taken;
            if (mutex && !onMutexHeld) CloseHandle(mutex);
            if (file != INVALID_HANDLE_VALUE && !onFileHeld) CloseHandle(file);
            if (!onMutexHeld && !onFileHeld) return nullptr;
            // No other copy is inside a replacement now: what temporary files remain are debris.
            removeTemporariesOf(target);
            return new NativeFileLock{onMutexHeld ? mutex : nullptr,
                                      onFileHeld ? file : INVALID_HANDLE_VALUE};
        }
        // Another process holds one of them: the other is let go while this one waits.
        if (onMutex == Try::taken) ReleaseMutex(mutex);
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        Sleep(static_cast<DWORD>(std::min<ULONGLONG>(pauseMs, deadline - now)));
        pauseMs = std::min(pauseMs * 2, longestPauseMs);
    }
    attempt.busy = true;
    if (mutex) CloseHandle(mutex);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return nullptr;
}

void unlockDataFile(FileLock lock) {
    if (!lock) return;
    if (lock->file != INVALID_HANDLE_VALUE) {
        OVERLAPPED first = {};
        UnlockFileEx(lock->file, 0, 1, 0, &first);
        CloseHandle(lock->file);
    }
    if (lock->mutex) {
        ReleaseMutex(lock->mutex);
        CloseHandle(lock->mutex);
    }
    delete lock;
}

size_t cp932FromUtf8(const char* utf8, size_t size, char* out) {
    if (size == 0) return 0;
    int units = MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(size), nullptr, 0);
    std::wstring wide(static_cast<size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(size), wide.data(), units);
    // Runs of the basic plane are converted whole; a character beyond it (a surrogate pair)
    // has no code page 932 form and is one '?', as it is on the other platforms.
    size_t written = 0;
    for (size_t i = 0; i < wide.size();) {
        if (IS_HIGH_SURROGATE(wide[i]) || IS_LOW_SURROGATE(wide[i])) {
            out[written++] = '?';
            i += IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() ? 2 : 1;
            continue;
        }
        size_t end = i;
        while (end < wide.size() && !IS_HIGH_SURROGATE(wide[end]) && !IS_LOW_SURROGATE(wide[end])) {
            ++end;
        }
        int bytes = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data() + i,
                                        static_cast<int>(end - i), out + written,
                                        static_cast<int>(size - written), "?", nullptr);
        if (bytes <= 0) break;
        written += static_cast<size_t>(bytes);
        i = end;
    }
    return written;
}
