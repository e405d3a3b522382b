// The lock of the data files in the browser: one Web Lock for the data folder, shared by every
// tab of the page, in place of the POSIX lock. The files live in each tab's own memory, so the
// lock also carries them between tabs: taking it reads what the others saved, letting it go
// saves what this tab wrote (web_data_lock.js).
#include <string>

#include "backends/native_path.h"
#include "backends/posix/file_names.h"
#include "backends/web/web_bridge.h"
#include "platform/platform.h"

struct NativeFileLock {
    int number = 0;  // the page's number for the held lock
};

FileLock lockDataFile(const char* resolvedPath, unsigned waitMs, LockAttempt& attempt) {
    attempt = LockAttempt{};
    if (!resolvedPath || !*resolvedPath) return nullptr;
    // A lock file has no meaning here: the folder's lock is the only one, and always there.
    const std::string folder = folderOf(nativePath(resolvedPath));
    const int number = keyfall_lock_data(folder.c_str(), waitMs);
    if (number == 0) {
        attempt.busy = true;
        return nullptr;
    }
    return new NativeFileLock{number};
}

void unlockDataFile(FileLock lock) {
    if (!lock) return;
    keyfall_unlock_data(lock->number);
    delete lock;
}
