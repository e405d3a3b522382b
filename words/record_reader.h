// Records of a text file, much as the C runtime's text mode hands them to fgets, read from a
// binary stream so that every platform sees the same bytes; but a line may end in CR LF, LF or
// a CR alone, in any mix, as editors on different systems leave them.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

// A record holds at most this many bytes; its buffer has room for two more, as the word
// list's line buffers always had.
constexpr size_t recordMaxBytes = 1023;
constexpr size_t recordBufferSize = 1025;

// Reads the next record into record and terminates it with a NUL. A record ends just after a
// line end, at recordMaxBytes bytes, or at the end of the file. CR LF, and a CR alone, read as
// one LF, and a byte 0x1A ends the file: neither it nor anything after it is ever read. Returns the
// record's length in bytes (NUL bytes inside count), 0 when no record is left.
size_t readRecord(std::FILE* file, char (&record)[recordBufferSize]);

// The same records through a buffer of the reader's own: large reads and a search for the line
// feed instead of a call per byte. The stream's position runs ahead of the records, so a
// stream is read by one reader from where it stood when the reader was made.
class RecordReader {
public:
    explicit RecordReader(std::FILE* stream) : file(stream), bytes(buffer) {}
    // The records of text held in memory, read the same way; text must outlive the reader.
    explicit RecordReader(std::string_view text)
        : end(text.size()),
          streamEnded(true),
          bytes(reinterpret_cast<const unsigned char*>(text.data())) {}
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    // As readRecord: the next record into record, NUL-terminated; its length, 0 at the end.
    size_t next(char (&record)[recordBufferSize]);
    // Passes over the next record without copying it; false when no record is left.
    bool skip();

private:
    struct Extent {
        size_t rawBytes;  // bytes of the stream the record takes
        size_t length;    // bytes of the record: a CR LF at its end counts as one LF
    };
    // Where the next record ends, with at least one record's bytes buffered if the stream
    // holds them.
    Extent measure();
    void refill();

    std::FILE* file = nullptr;
    size_t start = 0;
    size_t end = 0;
    bool streamEnded = false;
    const unsigned char* bytes;  // buffer, or the text in memory
    unsigned char buffer[32768];
};
