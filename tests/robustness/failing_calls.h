// System calls of this process made to fail on demand, for one kind of file only (the
// temporary file of a replacement, unless told otherwise): the test arms one failure, the next
// call of that kind on such a file fails.
#pragma once

#include <cstddef>

enum class FailingCall { open, write, fsync, close, rename };

// From now on, the named call on a file whose name ends in suffix (a temporary file) fails
// with error. A write first lets passBytes through, so that a file can fail half way.
void armFailure(FailingCall call, int error, size_t passBytes = 0, const char* suffix = ".tmp");
// No failure is armed any more.
void disarmFailures();
// How many calls failed since the last armFailure.
int failuresMade();
