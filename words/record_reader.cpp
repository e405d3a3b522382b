// Text-mode records from a binary stream.
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
            int next = std::getc(file);
            if (next == '\n') {
                c = '\n';
            } else if (next != EOF) {
                std::ungetc(next, file);
            }
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
    if (const void* found = std::memchr(at, '\n', window)) {
        const size_t lineFeed = static_cast<size_t>(static_cast<const unsigned char*>(found) - at);
        // Only the byte before the line feed can make a CR LF pair inside one record.
        const bool crLf = lineFeed > 0 && at[lineFeed - 1] == '\r';
        const size_t length = lineFeed + 1 - (crLf ? 1 : 0);
        if (length <= recordMaxBytes) return {lineFeed + 1, length};
    }
    // No line feed within reach: the record is cut at 1023 bytes, the mark or the end.
    const size_t length = std::min(window, recordMaxBytes);
    return {length, length};
}

size_t RecordReader::next(char (&record)[recordBufferSize]) {
    const Extent extent = measure();
    const unsigned char* at = bytes + start;
    if (extent.length < extent.rawBytes) {
        // A CR LF ending: the CR is dropped and the LF kept.
        std::memcpy(record, at, extent.length - 1);
        record[extent.length - 1] = '\n';
    } else {
        std::memcpy(record, at, extent.length);
    }
    record[extent.length] = '\0';
    start += extent.rawBytes;
    return extent.length;
}

bool RecordReader::skip() {
    const Extent extent = measure();
    start += extent.rawBytes;
    return extent.length != 0;
}
