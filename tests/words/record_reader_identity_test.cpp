// The buffered record reader against the reader that takes one byte at a time: the same
// records from any bytes, across buffer refills, with records skipped or read.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "words/record_reader.h"

namespace {

std::FILE* streamOf(const std::string& bytes) {
    std::FILE* file = std::tmpfile();
    if (file) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::rewind(file);
    }
    return file;
}

std::vector<std::string> byteByByte(const std::string& bytes) {
    std::vector<std::string> records;
    std::FILE* file = streamOf(bytes);
    if (!file) return records;
    char record[recordBufferSize];
    while (size_t length = readRecord(file, record)) records.emplace_back(record, length);
    std::fclose(file);
    return records;
}

// Reads every record, or skips those for which skipped says so (recorded as "skipped").
std::vector<std::string> buffered(const std::string& bytes, const std::vector<bool>& skipped) {
    std::vector<std::string> records;
    std::FILE* file = streamOf(bytes);
    if (!file) return records;
    RecordReader reader(file);
    char record[recordBufferSize];
    for (size_t n = 0;; ++n) {
        if (n < skipped.size() && skipped[n]) {
            if (!reader.skip()) break;
            records.emplace_back("skipped");
            continue;
        }
        const size_t length = reader.next(record);
        EXPECT_EQ(record[length], '\0');
        if (length == 0) break;
        records.emplace_back(record, length);
    }
    // The end stays the end.
    EXPECT_EQ(reader.next(record), 0u);
    EXPECT_FALSE(reader.skip());
    std::fclose(file);
    return records;
}

// Lines of lengths around the 1023-byte cut, ends of LF, CR LF, lone CR or none, sometimes a
// NUL, rarely a 0x1A; long enough to cross several buffer refills.
std::string randomText(std::mt19937& random, size_t size, bool withMark) {
    std::uniform_int_distribution<int> percent(0, 99);
    std::string text;
    while (text.size() < size) {
        const int kind = percent(random);
        size_t length = kind < 30 ? 1018 + percent(random) % 10 : percent(random) % 40;
        for (size_t k = 0; k < length; ++k) {
            const int what = percent(random);
            text += what < 2 ? '\r' : what < 3 ? '\0' : static_cast<char>('a' + what % 26);
        }
        const int end = percent(random);
        text += end < 45 ? "\n" : end < 85 ? "\r\n" : end < 95 ? "\r" : "";
        if (withMark && percent(random) == 0 && percent(random) < 20) text += '\x1A';
    }
    return text;
}

}  // namespace

TEST(BufferedRecords, AreTheRecordsOfTheByteByByteReader) {
    std::mt19937 random(31);
    for (int trial = 0; trial < 60; ++trial) {
        const size_t size = trial < 10 ? static_cast<size_t>(trial) * 3 : 20000 + 4000 * trial;
        const std::string text = randomText(random, size, trial % 3 == 0);
        const std::vector<std::string> expected = byteByByte(text);
        ASSERT_EQ(buffered(text, {}), expected) << "trial " << trial;

        std::vector<bool> skipped(expected.size() + 2);
        for (size_t n = 0; n < skipped.size(); ++n) skipped[n] = random() % 3 != 0;
        std::vector<std::string> withSkips = expected;
        for (size_t n = 0; n < withSkips.size(); ++n) {
            if (skipped[n]) withSkips[n] = "skipped";
        }
        ASSERT_EQ(buffered(text, skipped), withSkips) << "trial " << trial << ", skipping";
    }
}

TEST(BufferedRecords, MatchAtTheCutAndAtTheBufferEdges) {
    // A record ending on either side of a refill, in each way a record can end there.
    const std::string ends[] = {"\n", "\r\n", "\r", "\r\x1A", "\x1A", "\r\r\n", ""};
    for (size_t before : {1021u, 1022u, 1023u, 1024u, 32766u, 32767u, 32768u, 33790u, 33791u}) {
        for (const std::string& end : ends) {
            for (const std::string& after :
                 {std::string(), std::string("z\n"), std::string(1500, 'y')}) {
                const std::string text = std::string(before, 'x') + end + after;
                ASSERT_EQ(buffered(text, {}), byteByByte(text))
                    << before << " bytes, then an end of " << end.size() << " bytes";
            }
        }
    }
}
