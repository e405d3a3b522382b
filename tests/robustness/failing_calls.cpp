// The calls of failing_calls.h, defined in the test program itself: the program's own
// definitions come before the C library's, so every call of the backend reaches them, and
// each passes on to the next definition (the sanitizer's or the C library's) through dlsym.
#include "tests/robustness/failing_calls.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

struct Armed {
    bool on = false;
    FailingCall call = FailingCall::open;
    int error = 0;
    size_t passBytes = 0;
    int made = 0;
    int temporaryFd = -1;  // the file of that kind opened while armed
    const char* suffix = ".tmp";
};

Armed armed;

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

bool isTemporary(const char* path) {
    size_t length = path ? std::strlen(path) : 0;
    size_t suffix = std::strlen(armed.suffix);
    return length > suffix && std::strcmp(path + length - suffix, armed.suffix) == 0;
}

bool failsNow(FailingCall call) {
    if (!armed.on || armed.call != call) return false;
    ++armed.made;
    return true;
}

int openAs(const char* name, const char* path, int flags, mode_t mode) {
    using Open = int (*)(const char*, int, ...);
    static Open real = nullptr;
    if (!real) real = next<Open>(name);
    if (isTemporary(path) && failsNow(FailingCall::open)) {
        errno = armed.error;
        return -1;
    }
    int fd = real(path, flags, mode);
    if (fd >= 0 && isTemporary(path)) armed.temporaryFd = fd;
    return fd;
}

mode_t modeArgument(int flags, va_list arguments) {
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE
               ? static_cast<mode_t>(va_arg(arguments, int))
               : 0;
}

}  // namespace

void armFailure(FailingCall call, int error, size_t passBytes, const char* suffix) {
    armed = Armed{true, call, error, passBytes, 0, -1, suffix};
}

void disarmFailures() {
    armed.on = false;
    armed.suffix = ".tmp";
}

int failuresMade() { return armed.made; }

extern "C" {

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    return openAs("open", path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    return openAs("open64", path, flags, mode);
}

ssize_t write(int fd, const void* bytes, size_t size) {
    using Write = ssize_t (*)(int, const void*, size_t);
    static Write real = next<Write>("write");
    if (armed.on && fd == armed.temporaryFd && armed.call == FailingCall::write) {
        if (armed.passBytes > 0) {
            ssize_t done = real(fd, bytes, size < armed.passBytes ? size : armed.passBytes);
            if (done > 0) armed.passBytes -= static_cast<size_t>(done);
            return done;
        }
        if (failsNow(FailingCall::write)) {
            errno = armed.error;
            return -1;
        }
    }
    return real(fd, bytes, size);
}

int fsync(int fd) {
    using Fsync = int (*)(int);
    static Fsync real = next<Fsync>("fsync");
    if (fd == armed.temporaryFd && failsNow(FailingCall::fsync)) {
        errno = armed.error;
        return -1;
    }
    return real(fd);
}

int close(int fd) {
    using Close = int (*)(int);
    static Close real = next<Close>("close");
    if (fd >= 0 && fd == armed.temporaryFd) {
        armed.temporaryFd = -1;
        // The file is closed all the same, as a failing close on a real system leaves it.
        if (failsNow(FailingCall::close)) {
            real(fd);
            errno = armed.error;
            return -1;
        }
    }
    return real(fd);
}

int rename(const char* from, const char* to) {
    using Rename = int (*)(const char*, const char*);
    static Rename real = next<Rename>("rename");
    if (isTemporary(from) && failsNow(FailingCall::rename)) {
        errno = armed.error;
        return -1;
    }
    return real(from, to);
}

}  // extern "C"
