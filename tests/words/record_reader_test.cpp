// Records as the word list is read: line ends of every kind, 0x1A, the 1023-byte cut, NUL bytes.
#include "words/record_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Every record of bytes, read from a real stream, until the reader reports none left.
std::vector<std::string> recordsOf(const std::string& bytes) {
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    if (!file) return {};
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    std::vector<std::string> records;
    char record[recordBufferSize];
    while (size_t length = readRecord(file, record)) {
        EXPECT_EQ(record[length], '\0');
        records.emplace_back(record, length);
        if (records.size() > bytes.size() + 1) break;  // a reader that never ends
    }
    // Once the end is reached, it stays reached.
    EXPECT_EQ(readRecord(file, record), 0u);
    EXPECT_EQ(record[0], '\0');
    std::fclose(file);
    return records;
}

std::string repeat(char c, size_t n) { return std::string(n, c); }

}  // namespace

TEST(RecordReader, SplitsLikeTextModeFgetsButAtEveryLineEnd) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> records;
    };
    const Case cases[] = {
        {"empty file", "", {}},
        {"lines", "a\nbc\n", {"a\n", "bc\n"}},
        {"last line without LF", "a\nbc", {"a\n", "bc"}},
        {"blank lines count", "\n\na\n", {"\n", "\n", "a\n"}},
        {"CR LF reads as LF", "a\r\nb\r\n", {"a\n", "b\n"}},
        {"a lone CR ends a line", "a\rb\n", {"a\n", "b\n"}},
        {"CR at the end ends the line", "a\r", {"a\n"}},
        {"CR CR LF is two line ends", "a\r\r\n", {"a\n", "\n"}},
        {"every line end in a mix", "1\r2\r\n3\n4\r5", {"1\n", "2\n", "3\n", "4\n", "5"}},
        {"0x1A ends the file",
         "ab\n\x1A"
         "cd\nef\n",
         {"ab\n"}},
        {"0x1A inside a line",
         "ab\x1A"
         "cd\n",
         {"ab"}},
        {"0x1A right after CR", "a\r\x1A\n", {"a\n"}},
        {"0x1A first",
         "\x1A"
         "abc\n",
         {}},
        {"NUL bytes belong to the record", "a\0b\n"s, {"a\0b\n"s}},
        {"1022 bytes and LF make one record", repeat('x', 1022) + "\n", {repeat('x', 1022) + "\n"}},
        {"CR LF counts as one byte of the 1023",
         repeat('x', 1022) + "\r\n",
         {repeat('x', 1022) + "\n"}},
        {"1023 bytes leave the LF for a record of its own",
         repeat('x', 1023) + "\n",
         {repeat('x', 1023), "\n"}},
        {"1500 bytes and LF make two records",
         repeat('x', 1500) + "\nz\n",
         {repeat('x', 1023), repeat('x', 477) + "\n", "z\n"}},
        {"3000 bytes without LF",
         repeat('y', 3000),
         {repeat('y', 1023), repeat('y', 1023), repeat('y', 954)}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(recordsOf(c.bytes), c.records) << c.name;
    }
}

TEST(RecordReader, CrLfAndLfFilesGiveTheSameRecords) {
    std::string lf, crlf;
    for (int i = 0; i < 300; ++i) {
        std::string line = repeat(static_cast<char>('a' + i % 26), static_cast<size_t>(i * 7));
        lf += line + "\n";
        crlf += line + "\r\n";
    }
    EXPECT_EQ(recordsOf(lf), recordsOf(crlf));
}
