// Records of a text file as the C runtime's text mode hands them to fgets, read from a binary
// stream so that every platform sees the same bytes.
#pragma once

#include <cstddef>
#include <cstdio>

// A record holds at most this many bytes; its buffer has room for two more, as the word
// list's line buffers always had.
constexpr size_t recordMaxBytes = 1023;
constexpr size_t recordBufferSize = 1025;

// Reads the next record into record and terminates it with a NUL. A record ends just after a
// line feed, at recordMaxBytes bytes, or at the end of the file. CR LF reads as one LF, a CR
// before anything else stays, and a byte 0x1A ends the file: neither it nor anything after
// it is ever read. Returns the record's length in bytes (NUL bytes inside count), 0 when no
// record is left.
size_t readRecord(std::FILE* file, char (&record)[recordBufferSize]);
