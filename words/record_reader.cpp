// Text-mode records from a binary stream, every kind of line end taken.
#include "words/record_reader.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int endOfFileMark = 0x1A;
// A record's bytes in the stream: 1023 of them, and one more when a CR LF is its last byte.
constexpr size_t recordWindow = recordMaxBytes + 1;
}  // namespace

size_t readRecord(std::FILE* file, char (&record)[recordBufferSize]) {
    size_t length = 0;
    while (length < recordMaxBytes) {
        int c = std::getc(file);
        if (c == EOF) break;
        if (c == endOfFileMark) {
            // Put the mark back, so that every later read stops at it again.
            std::ungetc(c, file);
            break;
        }
        if (c == '\r') {
            // A CR alone ends the line as a CR LF does.
            int next = std::getc(file);
            if (next != '\n' && next != EOF) std::ungetc(next, file);
            c = '\n';
        }
        record[length++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    record[length] = '\0';
    return length;
}

void RecordReader::refill() {
    // Keeps the unread bytes and tops the buffer up, so that a whole record window is held.
    std::memmove(buffer, buffer + start, end - start);
    end -= start;
    start = 0;
    while (!streamEnded && end < sizeof buffer) {
        const size_t read = std::fread(buffer + end, 1, sizeof buffer - end, file);
        if (read == 0) streamEnded = true;
        end += read;
    }
}

RecordReader::Extent RecordReader::measure() {
    if (end - start < recordWindow && !streamEnded) refill();
    const unsigned char* at = bytes + start;
    size_t window = std::min(end - start, recordWindow);
    // The mark ends the stream for good: it is never consumed, so every later read stops at it.
    if (const void* mark = std::memchr(at, endOfFileMark, window)) {
        window = static_cast<size_t>(static_cast<const unsigned char*>(mark) - at);
    }
    // The first line end: the nearer of the first LF and the first CR.
    size_t stop = window;
    for (unsigned char lineEnd : {'\n', '\r'}) {
        if (const void* found = std::memchr(at, lineEnd, stop)) {
            stop = static_cast<size_t>(static_cast<const unsigned char*>(found) - at);
        }
    }
    // A line end within the record's reach: a CR LF pair takes two bytes of the stream and
    // one of the record. The byte after a CR is held whenever it counts: the window holds a
    // byte more than a record can, or the stream ends inside it.
    if (stop < window && stop + 1 <= recordMaxBytes) {
        const bool crLf = at[stop] == '\r' && stop + 1 < window && at[stop + 1] == '\n';
        return {stop + (crLf ? 2 : 1), stop + 1};
    }
    // No line end within reach: the record is cut at 1023 bytes, the mark or the end.
    const size_t length = std::min(window, recordMaxBytes);
    return {length, length};
}

size_t RecordReader::next(char (&record)[recordBufferSize]) {
    const Extent extent = measure();
    std::memcpy(record, bytes + start, extent.length);
    // Every line end reads as one LF.
    if (extent.length > 0 && record[extent.length - 1] == '\r') record[extent.length - 1] = '\n';
    record[extent.length] = '\0';
    start += extent.rawBytes;
    return extent.length;
}

bool RecordReader::skip() {
    const Extent extent = measure();
    start += extent.rawBytes;
    return extent.length != 0;
}
