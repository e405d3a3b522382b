// The top-five tables in Date/RankingDate.ini: reading them and entering a score.
#include "ranking/ranking_file.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "backends/headless/headless.h"
#include "base/game_state.h"
#include "tests/support/scratch_folder.h"

namespace {

using Table = std::array<std::string, 5>;

class RankingFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        headlessReset();
        game = GameState{};
    }

    Table read() {
        Table table;
        char entries[5][80];
        std::memset(entries, '#', sizeof entries);
        readRanking(entries[0], entries[1], entries[2], entries[3], entries[4]);
        for (int k = 0; k < 5; ++k) table[k] = entries[k];
        return table;
    }
    std::string file() const { return scratch.read("Date/RankingDate.ini"); }
    void writeFile(const std::string& text) const { scratch.write("Date/RankingDate.ini", text); }

    ScratchFolder scratch;
};

// An entry with blanks at its ends is quoted, so that it reads back with them.
std::string easyTable(const Table& t) {
    std::string text = "[EASY]\r\n";
    for (int k = 0; k < 5; ++k) {
        bool padded = !t[k].empty() && (t[k].front() == ' ' || t[k].back() == ' ');
        text += std::to_string(k + 1) + "=" + (padded ? "\"" + t[k] + "\"" : t[k]) + "\r\n";
    }
    return text;
}

}  // namespace

TEST_F(RankingFileTest, NoFileThenAFirstScore) {
    EXPECT_EQ(read(), (Table{"", "", "", "", ""}));
    insertRanking(0);
    EXPECT_FALSE(scratch.exists("Date/RankingDate.ini")) << "0 never enters the table";
    insertRanking(120);
    EXPECT_EQ(file(), "[EASY]\r\n1=120\r\n2=\r\n3=\r\n4=\r\n5=\r\n");
    EXPECT_EQ(read(), (Table{"120", "", "", "", ""}));
    EXPECT_TRUE(headlessEvents().empty()) << "nothing is shown";
}

TEST_F(RankingFileTest, ScoresTakeTheFirstRankTheyBeat) {
    struct Case {
        const char* name;
        Table before;
        int score;
        Table after;
    };
    const Case cases[] = {
        {"650 into 900..500",
         {"900", "800", "700", "600", "500"},
         650,
         {"900", "800", "700", "650", "600"}},
        {"equal to rank 5 changes nothing",
         {"900", "800", "700", "600", "500"},
         500,
         {"900", "800", "700", "600", "500"}},
        {"equal scores go below",
         {"500", "500", "300", "", ""},
         500,
         {"500", "500", "500", "300", ""}},
        {"hand-edited order",
         {"100", "500", "400", "300", "200"},
         200,
         {"200", "100", "500", "400", "300"}},
        {"letters after digits count the digits and move along",
         {"900", "120abc", "100", "50", "10"},
         500,
         {"900", "500", "120abc", "100", "50"}},
        {"letters after digits: equal does not beat",
         {"900", "120abc", "100", "", ""},
         120,
         {"900", "120abc", "120", "100", ""}},
        {"negative entries are beaten by 0", {"5", "-5", "", "", ""}, 0, {"5", "0", "-5", "", ""}},
        {"a negative score beats a lower one",
         {"-20", "", "", "", ""},
         -10,
         {"-10", "-20", "", "", ""}},
        {"a negative score never beats an empty entry",
         {"", "", "", "", ""},
         -10,
         {"", "", "", "", ""}},
        {"text that is no number counts 0 and moves down unchanged",
         {"abc", "", "", "", ""},
         1,
         {"1", "abc", "", "", ""}},
        {"a number beyond int counts as the largest",
         {"99999999999", "", "", "", ""},
         2147483647,
         {"99999999999", "2147483647", "", "", ""}},
        {"a quoted entry's leading blanks are skipped, as atoi skips them",
         {" 500", "", "", "", ""},
         400,
         {" 500", "400", "", "", ""}},
        {"the new top score",
         {"3", "2", "1", "", ""},
         2147483647,
         {"2147483647", "3", "2", "1", ""}},
    };
    for (const Case& c : cases) {
        writeFile(easyTable(c.before));
        insertRanking(c.score);
        EXPECT_EQ(read(), c.after) << c.name;
        // The entries compared are left in rankingText.
        for (int k = 0; k < 5; ++k) EXPECT_EQ(game.rankingText[k], c.before[k]) << c.name;
    }
}

TEST_F(RankingFileTest, OnlyTheKeysAtAndBelowTheRankAreWritten) {
    // Key 1 is spelled oddly and key 5 is missing: rank 2 rewrites 2 to 4 and adds 5.
    writeFile("[EASY]\r\n 1 = 900 \r\n2=800\r\n3=700\r\n4=600\r\n");
    insertRanking(850);
    EXPECT_EQ(file(), "[EASY]\r\n 1 = 900 \r\n2=850\r\n3=800\r\n4=700\r\n5=600\r\n");
}

TEST_F(RankingFileTest, OtherSectionsCommentsAndUnknownLinesStay) {
    const std::string before =
        "; kept\r\n[EASY]\r\n1=10\r\n[NORMAL]\r\n1=900\r\n2=800\r\n; note\r\n"
        "garbage line\r\n3=700\r\n\r\n[HARD]\r\n1=1\r\n";
    writeFile(before);
    game.difficulty = Normal;
    insertRanking(850);
    EXPECT_EQ(file(),
              "; kept\r\n[EASY]\r\n1=10\r\n[NORMAL]\r\n1=900\r\n2=850\r\n; note\r\n"
              "garbage line\r\n3=800\r\n4=700\r\n5=\r\n\r\n[HARD]\r\n1=1\r\n");
    game.difficulty = Easy;
    EXPECT_EQ(read(), (Table{"10", "", "", "", ""}));
    game.difficulty = 7;  // anything but 0 and 1 is Hard
    EXPECT_EQ(read(), (Table{"1", "", "", "", ""}));
    insertRanking(2);
    EXPECT_EQ(read(), (Table{"2", "1", "", "", ""}));
}

TEST_F(RankingFileTest, LongEntriesAreCutTo79BytesAndMovedCut) {
    std::string longEntry = "42" + std::string(100, 'z');
    writeFile("[EASY]\n1=" + longEntry + "\n");
    EXPECT_EQ(read()[0], longEntry.substr(0, 79));
    insertRanking(43);
    EXPECT_EQ(read(), (Table{"43", longEntry.substr(0, 79), "", "", ""}));
}

TEST_F(RankingFileTest, HostileFilesNeitherCrashNorLoseTheirBytes) {
    using namespace std::string_literals;
    const std::string added = "[EASY]\n1=5\n2=\n3=\n4=\n5=\n";
    struct Case {
        const char* name;
        std::string bytes;
        std::string after;
    };
    const Case cases[] = {
        {"binary junk", "\x00\xFF\x1A[EASY\x00]\n=\n==\n[\n]\n"s,
         "\x00\xFF\x1A[EASY\x00]\n=\n==\n[\n]\n"s + added},
        {"a 10 MB line", std::string(10 << 20, 'q') + "\n",
         std::string(10 << 20, 'q') + "\n" + added},
        {"keys without '=' and a NUL in a value", "[EASY]\n1\n2\n3 900\n1=\0 7\n"s,
         "[EASY]\n1\n2\n3 900\n1=5\n2=\n3=\n4=\n5=\n"},
    };
    for (const Case& c : cases) {
        writeFile(c.bytes);
        insertRanking(5);
        EXPECT_TRUE(file() == c.after) << c.name;
        EXPECT_EQ(read(), (Table{"5", "", "", "", ""})) << c.name;
    }
}

namespace {

// ASCII text as UTF-16 units, each followed by raw units (given as bytes in the file's order).
std::string utf16(const std::string& ascii, bool bigEndian) {
    std::string units;
    for (char c : ascii) units += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return units;
}

}  // namespace

TEST_F(RankingFileTest, TablesSavedByOtherEditorsReadAndKeepTheirForm) {
    using namespace std::string_literals;
    const std::string mark = "\xEF\xBB\xBF";
    // ねこ, a comment a player wrote, in UTF-8 and in UTF-16 both ways round.
    const std::string nekoUtf8 = "\xE3\x81\xAD\xE3\x81\x93";
    const std::string nekoLe = "\x6D\x30\x53\x30"s;
    const std::string nekoBe = "\x30\x6D\x30\x53"s;
    // Before: 900, 800 and the comment. After 850: key 2 rewritten, 3 to 5 added below.
    auto table = [](const std::string& eol, const std::string& comment, bool after) {
        std::string lines = "[EASY]" + eol + "1=900" + eol + (after ? "2=850" : "2=800") + eol;
        lines += "; " + comment + eol;
        return after ? lines + "3=800" + eol + "4=" + eol + "5=" + eol : lines;
    };
    auto le = [](const std::string& ascii) { return utf16(ascii, false); };
    auto be = [](const std::string& ascii) { return utf16(ascii, true); };
    struct Case {
        const char* name;
        std::string before;
        std::string after;
    };
    const Case cases[] = {
        {"UTF-8 with a byte-order mark", mark + table("\r\n", nekoUtf8, false),
         mark + table("\r\n", nekoUtf8, true)},
        {"lines ended by CR alone", table("\r", "cr", false), table("\r", "cr", true)},
        {"UTF-16, little-endian",
         "\xFF\xFE" + le("[EASY]\r\n1=900\r\n2=800\r\n; ") + nekoLe + le("\r\n"),
         "\xFF\xFE" + le("[EASY]\r\n1=900\r\n2=850\r\n; ") + nekoLe +
             le("\r\n3=800\r\n4=\r\n5=\r\n")},
        {"UTF-16, big-endian, lines ended by CR alone",
         "\xFE\xFF" + be("[EASY]\r1=900\r2=800\r; ") + nekoBe + be("\r"),
         "\xFE\xFF" + be("[EASY]\r1=900\r2=850\r; ") + nekoBe + be("\r3=800\r4=\r5=\r")},
    };
    for (const Case& c : cases) {
        writeFile(c.before);
        EXPECT_EQ(read(), (Table{"900", "800", "", "", ""})) << c.name;
        insertRanking(850);
        EXPECT_TRUE(file() == c.after) << c.name;
        EXPECT_EQ(read(), (Table{"900", "850", "800", "", ""})) << c.name;
    }
    // A UTF-16 entry cut to 79 bytes right after a lone surrogate (U+D83D), inside the
    // character after it: moved down, it must not come back as a pair with the cut bytes.
    writeFile("\xFF\xFE" + le("[EASY]\r\n1=900\r\n2=" + std::string(74, '8')) +
              "\x3D\xD8\x42\x30"s + le("\r\n"));
    const std::string cut = std::string(74, '8') + "\xED\xA0\xBD\xE3\x81";
    EXPECT_EQ(read()[1], cut);
    insertRanking(950);
    EXPECT_EQ(read(), (Table{"950", "900", cut, "", ""}));
}
