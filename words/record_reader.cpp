// Text-mode records from a binary stream.
#include "words/record_reader.h"

namespace {
constexpr int endOfFileMark = 0x1A;
}

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
