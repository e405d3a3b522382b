// The lock of the data files on POSIX: flock on their folder and on a lock file beside them.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <string>

#include "backends/native_path.h"
#include "backends/posix/file_names.h"
#include "platform/platform.h"

struct NativeFileLock {
    int folder;  // -1 when the folder's lock is not held
    int file;    // -1 when the lock file's lock is not held
};

namespace {

// The longest pause between two tries while waiting: another copy's write takes milliseconds.
constexpr unsigned longestPauseMs = 50;

enum class Flock { taken, busy, refused };

Flock tryFlock(int fd) {
    if (fd < 0) return Flock::refused;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return Flock::taken;
        if (errno == EINTR) continue;
        return errno == EWOULDBLOCK ? Flock::busy : Flock::refused;
    }
}

// The lock file, -1 when it cannot serve. It is never reached through a link, and a pipe under
// its name is not waited on. refused tells something in the way from a folder where nothing
// can be made (which the write itself will find).
int openLockFile(const std::string& path, bool& refused) {
    constexpr int flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | flags, 0666);
    // Another player's lock file may be read-only to us; a lock needs no write access.
    if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | flags);
    struct stat info;
    if (fd < 0) {
        refused = ::lstat(path.c_str(), &info) == 0;
        return -1;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        refused = true;
        return -1;
    }
    return fd;
}

uint64_t monotonicMs() {
    timespec now = {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u +
           static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

void closeUnless(int fd, bool kept) {
    if (fd >= 0 && !kept) ::close(fd);
}

}  // namespace

FileLock lockDataFile(const char* resolvedPath, unsigned waitMs, LockAttempt& attempt) {
    attempt = LockAttempt{};
    if (!resolvedPath || !*resolvedPath) return nullptr;
    const std::string target = realTarget(nativePath(resolvedPath));
    // Both locks are asked for, always in this order, so that two copies keep each other out
    // whenever one of them works for both: the folder's whatever stands under the lock file's
    // name, the lock file's where a folder cannot be locked (a network share) and against
    // copies of the game that know only the lock file.
    const int folder = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int file = openLockFile(target + ".lock", attempt.lockFileRefused);
    const uint64_t deadline = monotonicMs() + waitMs;
    unsigned pauseMs = 1;
    for (;;) {
        const Flock onFolder = tryFlock(folder);
        const Flock onFile = onFolder == Flock::busy ? Flock::busy : tryFlock(file);
        if (onFolder != Flock::busy && onFile != Flock::busy) {
            // A lock file whose file system refuses locks is in the way as much as a folder.
            if (file >= 0 && onFile == Flock::refused) attempt.lockFileRefused = true;
            const bool onFolderHeld = onFolder == Flock::taken;
            const bool onFileHeld = onFile == Flock::taken;
            closeUnless(folder, onFolderHeld);
            closeUnless(file, onFileHeld);
            if (!onFolderHeld && !onFileHeld) return nullptr;
            // No other copy is inside a replacement now: what temporary files remain are debris.
            removeTemporariesOf(target);
            return new NativeFileLock{onFolderHeld ? folder : -1, onFileHeld ? file : -1};
        }
        // Another process holds one of them: the other is let go while this one waits.
        if (onFolder == Flock::taken) ::flock(folder, LOCK_UN);
        const uint64_t now = monotonicMs();
        if (now >= deadline) break;
        const uint64_t pause = std::min<uint64_t>(pauseMs, deadline - now);
        timespec sleep = {0, static_cast<long>(pause) * 1000000L};
        ::nanosleep(&sleep, nullptr);
        pauseMs = std::min(pauseMs * 2, longestPauseMs);
    }
    attempt.busy = true;
    closeUnless(folder, false);
    closeUnless(file, false);
    return nullptr;
}

void unlockDataFile(FileLock lock) {
    if (!lock) return;
    for (int fd : {lock->file, lock->folder}) {
        if (fd < 0) continue;
        ::flock(fd, LOCK_UN);
        ::close(fd);
    }
    delete lock;
}
