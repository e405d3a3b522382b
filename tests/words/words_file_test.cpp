// The word list through the headless machine: indexing, drawing, splitting and the failures.
#include "words/words_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "backends/headless/headless.h"
#include "base/crt_random.h"
#include "base/game_state.h"
#include "base/texts.h"
#include "tests/support/scratch_folder.h"

namespace {

// Code page 932 words of the example list.
const std::string inu = "\x82\xA2\x82\xCA";                                         // いぬ
const std::string neko = "\x82\xCB\x82\xB1";                                        // ねこ
const std::string sakura = "\x82\xB3\x82\xAD\x82\xE7";                              // さくら
const std::string shinkansen = "\x82\xB5\x82\xF1\x82\xA9\x82\xF1\x82\xB9\x82\xF1";  // しんかんせん
const std::string konnichiha = "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD";  // こんにちは

std::string exampleFile(const std::string& eol) {
    return "[EASY]" + eol + inu + ",inu" + eol + neko + ",neko" + eol + "[NORMAL]" + eol + sakura +
           ",sakura" + eol + "[HARD]" + eol + shinkansen + ",shinkannsenn" + eol + konnichiha +
           ",konnnichiha" + eol;
}

std::string fillerLines(int count) {
    std::string lines;
    for (int i = 0; i < count; ++i) lines += "free text\n";
    return lines;
}

struct Word {
    std::string display;
    std::string romaji;
    bool operator<(const Word& other) const {
        return display != other.display ? display < other.display : romaji < other.romaji;
    }
    bool operator==(const Word& other) const = default;
};

std::ostream& operator<<(std::ostream& out, const Word& word) {
    return out << '"' << word.display << "\" / \"" << word.romaji << '"';
}

// The generator's sequence, written out independently of the game's.
struct ReferenceRandom {
    uint32_t state;
    int next() {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7fff);
    }
};

class WordsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        headlessReset();
        game = GameState{};
        crtSrand(1);
    }
    void TearDown() override { closeWordsFile(); }

    void writeWords(const std::string& bytes) { scratch.write("Date/Words.txt", bytes); }

    // One word the way the next-word step takes it: open, pick, close.
    Word pick() {
        EXPECT_TRUE(openWordsFile());
        EXPECT_TRUE(pickWord());
        closeWordsFile();
        EXPECT_EQ(game.romajiLength, static_cast<int>(std::strlen(game.romajiText)));
        return {game.displayText, game.romajiText};
    }

    std::set<Word> wordsDrawn(int picks) {
        std::set<Word> seen;
        for (int i = 0; i < picks; ++i) seen.insert(pick());
        return seen;
    }

    std::vector<std::string> boxTexts() {
        std::vector<std::string> texts;
        for (const HeadlessEvent& event : headlessEvents()) {
            if (event.kind != HeadlessEventKind::messageBox) continue;
            EXPECT_EQ(event.caption, textErrorCaption);
            texts.push_back(event.text);
        }
        return texts;
    }

    ScratchFolder scratch;
};

}  // namespace

TEST_F(WordsFileTest, ExampleFileIndexesTheSameWithLfAndCrLf) {
    for (const char* eol : {"\n", "\r\n"}) {
        game = GameState{};
        writeWords(exampleFile(eol));
        EXPECT_TRUE(indexWordSections());
        EXPECT_EQ(game.wordsLineCount, 8);
        EXPECT_EQ(game.easyLine, 0);
        EXPECT_EQ(game.normalLine, 3);
        EXPECT_EQ(game.hardLine, 5);
        EXPECT_EQ(game.wordsFile, nullptr) << "indexing closes the file";

        const std::set<Word> expected[3] = {
            {{inu, "inu"}, {neko, "neko"}},
            {{sakura, "sakura"}},
            {{shinkansen, "shinkannsenn"}, {konnichiha, "konnnichiha"}},
        };
        for (int difficulty = 0; difficulty < 3; ++difficulty) {
            game.difficulty = difficulty;
            EXPECT_EQ(wordsDrawn(200), expected[difficulty]) << "difficulty " << difficulty;
        }
    }
    EXPECT_TRUE(boxTexts().empty());
}

TEST_F(WordsFileTest, ListsSavedByOtherEditorsGiveTheSameWords) {
    // The example list as a Linux editor saves it: UTF-8.
    auto utf8File = [](const std::string& eol) {
        return "[EASY]" + eol + "\xE3\x81\x84\xE3\x81\xAC,inu" + eol +
               "\xE3\x81\xAD\xE3\x81\x93,neko" + eol + "[NORMAL]" + eol +
               "\xE3\x81\x95\xE3\x81\x8F\xE3\x82\x89,sakura" + eol + "[HARD]" + eol +
               "\xE3\x81\x97\xE3\x82\x93\xE3\x81\x8B\xE3\x82\x93\xE3\x81\x9B\xE3\x82\x93,"
               "shinkannsenn" +
               eol + "\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF,konnnichiha" +
               eol;
    };
    const std::string mark = "\xEF\xBB\xBF";
    // The line ends of three systems in turn.
    std::string mixed = exampleFile("\n");
    for (size_t at = 0, line = 0; (at = mixed.find('\n', at)) != std::string::npos; ++line) {
        const char* ends[] = {"\r\n", "\r", "\n"};
        mixed.replace(at, 1, ends[line % 3]);
        at += std::strlen(ends[line % 3]);
    }
    const std::u16string units =
        u"[EASY]\r\n\u3044\u306C,inu\r\n\u306D\u3053,neko\r\n[NORMAL]\r\n\u3055\u304F\u3089,"
        u"sakura\r\n[HARD]\r\n\u3057\u3093\u304B\u3093\u305B\u3093,shinkannsenn\r\n"
        u"\u3053\u3093\u306B\u3061\u306F,konnnichiha\r\n";
    auto utf16File = [&units](bool bigEndian) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t unit : units) {
            const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
            bytes += bigEndian ? high : low;
            bytes += bigEndian ? low : high;
        }
        return bytes;
    };
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"UTF-8, CR LF", utf8File("\r\n")},
        {"UTF-8 after a byte-order mark", mark + utf8File("\n")},
        {"UTF-8 after a mark, lines ended by CR alone", mark + utf8File("\r")},
        {"code page 932, lines ended by CR alone", exampleFile("\r")},
        {"code page 932, CR LF, CR and LF mixed", mixed},
        {"UTF-8 ending in the end-of-file mark", utf8File("\n") + "\x1A\xFF\xFE"},
        {"UTF-16, little-endian", utf16File(false)},
        {"UTF-16, big-endian, ending in the end-of-file mark",
         utf16File(true) + std::string("\0\x1A\0x", 4)},
    };
    const std::set<Word> expected[3] = {
        {{inu, "inu"}, {neko, "neko"}},
        {{sakura, "sakura"}},
        {{shinkansen, "shinkannsenn"}, {konnichiha, "konnnichiha"}},
    };
    for (const Case& c : cases) {
        game = GameState{};
        writeWords(c.bytes);
        EXPECT_TRUE(indexWordSections()) << c.name;
        EXPECT_EQ(game.wordsLineCount, 8) << c.name;
        EXPECT_EQ(game.easyLine, 0) << c.name;
        EXPECT_EQ(game.normalLine, 3) << c.name;
        for (int difficulty = 0; difficulty < 3; ++difficulty) {
            game.difficulty = difficulty;
            EXPECT_EQ(wordsDrawn(100), expected[difficulty]) << c.name << ", " << difficulty;
        }
    }
    // A character code page 932 lacks is a '?' of the word, and the rest of the list stands.
    game = GameState{};
    writeWords(
        "[EASY]\n\xF0\x9F\x98\x80\xE3\x81\xAD\xE3\x81\x93,neko\n[NORMAL]\nb,b\n[HARD]\nc,c\n");
    EXPECT_TRUE(indexWordSections());
    EXPECT_EQ(wordsDrawn(20), (std::set<Word>{{"?" + neko, "neko"}}));
    EXPECT_TRUE(boxTexts().empty());

    // After a mark, a byte that breaks UTF-8 loses its line alone, and the player hears of it
    // once. A code page 932 list behind a mark loses every line in Japanese, and says why.
    auto badLines = [](int count, int first) {
        char text[256];
        std::snprintf(text, sizeof text, textWordsBadLinesFormat, count, first);
        return std::string(text);
    };
    std::string broken = mark + utf8File("\n");
    broken.insert(broken.find("neko"), "\xFF");
    game = GameState{};
    writeWords(broken);
    EXPECT_TRUE(indexWordSections());
    EXPECT_TRUE(indexWordSections());
    EXPECT_EQ(game.wordsLineCount, 8);
    EXPECT_EQ(wordsDrawn(20), (std::set<Word>{{inu, "inu"}}));
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{badLines(1, 3)}));
    headlessClearEvents();
    game = GameState{};
    writeWords(mark + exampleFile("\r\n"));
    EXPECT_FALSE(indexWordSections());
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{badLines(5, 2), textWordsEmptyEasy}));
}

TEST_F(WordsFileTest, DrawsFollowTheGeneratorExactly) {
    writeWords(exampleFile("\n"));
    ASSERT_TRUE(indexWordSections());
    // After srand(1) the values run 41, 18467, 6334, 26500, 19169, ...; Easy takes each
    // modulo 3 and keeps 1 and 2.
    crtSrand(1);
    const Word easy[] = {{neko, "neko"}, {neko, "neko"}, {inu, "inu"}, {inu, "inu"}};
    for (const Word& word : easy) EXPECT_EQ(pick(), word);
    EXPECT_EQ(crtRand(), 19169) << "one draw per word, none wasted";

    // Hard takes modulo 8 and keeps 6 and 7: 41, 18467 are rejected, 6334 gives 6, and so on.
    crtSrand(1);
    game.difficulty = Hard;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(pick(), (Word{shinkansen, "shinkannsenn"}));
    EXPECT_EQ(crtRand(), 26962);
}

TEST_F(WordsFileTest, SplitsRecordsIntoDisplayAndRomaji) {
    struct Case {
        const char* name;
        std::string line;  // the only Easy word
        Word word;
    };
    const Case cases[] = {
        {"two commas keep the second in the romaji", inu + ",i,nu\n", {inu, "i,nu"}},
        {"last line without LF", inu + ",inu", {inu, "inu"}},
        {"CR LF leaves no CR in the romaji", inu + ",inu\r\n", {inu, "inu"}},
        {"a lone CR ends the romaji", inu + ",in\ru\n", {inu, "in"}},
        {"a space is a letter to type", inu + ", inu\n", {inu, " inu"}},
        {"empty display", ",inu\n", {"", "inu"}},
    };
    for (const Case& c : cases) {
        game = GameState{};
        // The only Hard word, last in the file, so that a line without LF can end it.
        writeWords("[EASY]\na,a\n[NORMAL]\nb,b\n[HARD]\n" + c.line);
        game.difficulty = Hard;
        ASSERT_TRUE(indexWordSections()) << c.name;
        EXPECT_EQ(pick(), c.word) << c.name;
    }
}

TEST_F(WordsFileTest, HeaderRecognition) {
    struct Case {
        std::string line;
        bool isHeader;
    };
    const Case cases[] = {
        {"[EASY]", true},
        {"[EASY] a comment", true},
        {"[EASY]x,y", true},
        {"[easy]", false},
        {" [EASY]", false},
        {"[EASY", false},
        {"\xEF\xBB\xBF[EASY]", false},  // a byte-order mark is not skipped
    };
    for (const Case& c : cases) {
        game = GameState{};
        game.easyLine = 77;
        writeWords("a,a\n" + c.line + "\nb,b\n[NORMAL]\nc,c\n[HARD]\nd,d\n");
        game.difficulty = Normal;
        EXPECT_TRUE(indexWordSections()) << c.line;
        EXPECT_EQ(game.easyLine, c.isHeader ? 1 : 77) << c.line;
        // A header is never drawn, not even one whose trailing text holds a comma.
        game.difficulty = Easy;
        if (c.isHeader) {
            EXPECT_EQ(wordsDrawn(50), (std::set<Word>{{"b", "b"}})) << c.line;
        }
    }
}

TEST_F(WordsFileTest, LastOccurrenceOfAHeaderCounts) {
    writeWords("[EASY]\na,a\n[NORMAL]\nb,b\n[HARD] c,c\nd,d\n[HARD]\ne,e\n");
    game.difficulty = Hard;
    ASSERT_TRUE(indexWordSections());
    EXPECT_EQ(game.hardLine, 6);
    EXPECT_EQ(wordsDrawn(100), (std::set<Word>{{"e", "e"}}));
    // The first [HARD] line and the records after it belong to Normal now.
    game.difficulty = Normal;
    EXPECT_EQ(wordsDrawn(200), (std::set<Word>{{"b", "b"}, {"[HARD] c", "c"}, {"d", "d"}}));
}

TEST_F(WordsFileTest, LongLinesCountAsSeveralRecords) {
    // A 1500-byte line before the headers pushes every header one record down; a long word
    // line's continuation has no comma and is never drawn.
    std::string longWord = inu + "," + std::string(1497 - inu.size(), 'a');
    writeWords(std::string(1500, '#') + "\n[EASY]\n" + longWord + "\n[NORMAL]\nb,b\n[HARD]\nc,c\n");
    ASSERT_TRUE(indexWordSections());
    EXPECT_EQ(game.easyLine, 2);
    EXPECT_EQ(game.normalLine, 5);
    EXPECT_EQ(game.hardLine, 7);
    EXPECT_EQ(game.wordsLineCount, 9);
    EXPECT_EQ(wordsDrawn(50), (std::set<Word>{{inu, std::string(1023 - inu.size() - 1, 'a')}}));
}

TEST_F(WordsFileTest, EndOfFileByteHidesTheRest) {
    writeWords(
        "[EASY]\na,a\n[NORMAL]\nb,b\n[HARD]\nc,\x1A"
        "c\nd,d\n");
    game.difficulty = Normal;
    ASSERT_TRUE(indexWordSections());
    EXPECT_EQ(game.wordsLineCount, 6);
    // The Hard section holds only "c," now: nothing to type, so no word.
    game.difficulty = Hard;
    EXPECT_FALSE(indexWordSections());
    EXPECT_EQ(boxTexts(), std::vector<std::string>{textWordsEmptyHard});
}

TEST_F(WordsFileTest, RecordsThatAreNotWordsAreDrawnAgain) {
    // Only record 3 is a word; the others have no comma or nothing after it.
    writeWords("[EASY]\n\nnocomma\n" + inu + ",inu\n" + neko + ",\n,\n[NORMAL]\n[HARD]\nx,x\n");
    ASSERT_TRUE(indexWordSections());
    ASSERT_EQ(game.normalLine, 6);
    for (uint32_t seed : {1u, 2u, 12345u}) {
        crtSrand(seed);
        EXPECT_EQ(pick(), (Word{inu, "inu"})) << seed;
        // The draw goes on with the same sequence until record 3 comes up, and stops there.
        ReferenceRandom reference{seed};
        while (reference.next() % 6 != 3) {
        }
        EXPECT_EQ(crtRand(), reference.next()) << seed;
    }
    EXPECT_TRUE(boxTexts().empty());
}

TEST_F(WordsFileTest, SectionsWithoutWordsAreReportedAtIndexing) {
    struct Case {
        const char* name;
        std::string file;
        int difficulty;
        const char* message;
    };
    const std::string normalAndHard = "[NORMAL]\nb,b\n[HARD]\nc,c\n";
    const Case cases[] = {
        {"no [EASY]", "x,x\n" + normalAndHard, Easy, textWordsEmptyEasy},
        {"no [NORMAL]", "[EASY]\na,a\n[HARD]\nc,c\n", Easy, textWordsEmptyEasy},
        {"no [NORMAL] for Normal", "[EASY]\na,a\n[HARD]\nc,c\n", Normal, textWordsEmptyNormal},
        {"no [HARD]", "[EASY]\na,a\n[NORMAL]\nb,b\n", Hard, textWordsEmptyHard},
        {"headers out of order", "[NORMAL]\nb,b\n[EASY]\na,a\n[HARD]\nc,c\n", Easy,
         textWordsEmptyEasy},
        {"empty section", "[EASY]\n" + normalAndHard, Easy, textWordsEmptyEasy},
        {"empty last section", "[EASY]\na,a\n[NORMAL]\nb,b\n[HARD]\n", Hard, textWordsEmptyHard},
        {"only lines that are not words", "[EASY]\n\nno comma\n" + inu + ",\r\n" + normalAndHard,
         Easy, textWordsEmptyEasy},
        {"section beyond record 32767",
         "[EASY]\na,a\n[NORMAL]\nb,b\n" + fillerLines(33000) + "[HARD]\nc,c\n", Hard,
         textWordsEmptyHard},
        {"empty file", "", Normal, textWordsEmptyNormal},
    };
    for (const Case& c : cases) {
        game = GameState{};
        game.difficulty = c.difficulty;
        headlessClearEvents();
        writeWords(c.file);
        EXPECT_FALSE(indexWordSections()) << c.name;
        EXPECT_EQ(boxTexts(), std::vector<std::string>{c.message}) << c.name;
        EXPECT_EQ(game.wordsFile, nullptr) << c.name;
    }
    // The [NORMAL] line of a list indexed before must not bound the Easy section of one
    // that lacks it.
    game = GameState{};
    writeWords("[EASY]\nx,x\ny,y\n" + normalAndHard);
    ASSERT_TRUE(indexWordSections());
    headlessClearEvents();
    writeWords("[EASY]\na,a\nb,b\nc,c\n[HARD]\nd,d\n");
    EXPECT_FALSE(indexWordSections());
    EXPECT_EQ(boxTexts(), std::vector<std::string>{textWordsEmptyEasy});
}

TEST_F(WordsFileTest, OnlyTheFirst32768RecordsCanBeDrawn) {
    // The Hard section straddles record 32767: only the words up to it ever come up.
    writeWords("[EASY]\na,a\n[NORMAL]\nb,b\n[HARD]\n" + fillerLines(32760) + "w1,1\nw2,2\n" +
               fillerLines(10) + "w3,3\nw4,4\n");
    game.difficulty = Hard;
    ASSERT_TRUE(indexWordSections());
    EXPECT_EQ(game.wordsLineCount, 32779);
    EXPECT_EQ(wordsDrawn(20), (std::set<Word>{{"w1", "1"}, {"w2", "2"}}));

    // A lone word on record 32767, the last a draw can reach, is found from any seed.
    writeWords("[EASY]\na,a\n[NORMAL]\nb,b\n[HARD]\n" + fillerLines(32762) + "w1,1\n" +
               fillerLines(10) + "w3,3\n");
    ASSERT_TRUE(indexWordSections());
    for (uint32_t seed : {1u, 7u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        crtSrand(seed);
        EXPECT_EQ(pick(), (Word{"w1", "1"})) << seed;
    }
}

TEST_F(WordsFileTest, MissingWordListShowsItsMessageAndTouchesNoStream) {
    game.easyLine = 4;
    game.wordsLineCount = 9;
    EXPECT_FALSE(indexWordSections());
    EXPECT_EQ(boxTexts(), std::vector<std::string>{textWordsCannotOpen});
    EXPECT_EQ(game.wordsLineCount, 9) << "the old index stays";
    EXPECT_EQ(game.easyLine, 4);

    headlessClearEvents();
    std::strcpy(game.romajiText, "old");
    EXPECT_FALSE(openWordsFile());
    EXPECT_EQ(game.wordsFile, nullptr);
    EXPECT_FALSE(pickWord());
    closeWordsFile();
    EXPECT_STREQ(game.romajiText, "old");
    EXPECT_EQ(boxTexts(), std::vector<std::string>{textWordsCannotOpen}) << "one box per attempt";

    // A folder where the file should be is no file either.
    std::filesystem::create_directory(scratch.path() / "Date" / "Words.txt");
    EXPECT_FALSE(openWordsFile());
}

TEST_F(WordsFileTest, AWordListChangedSinceIndexingNeverHangs) {
    writeWords(exampleFile("\n") + "w8,8\nw9,9\n");
    game.difficulty = Hard;
    ASSERT_TRUE(indexWordSections());
    ASSERT_EQ(game.wordsLineCount, 10);

    // Lines lost: the records that are gone are drawn again, the one left comes up.
    writeWords(exampleFile("\n").substr(0, exampleFile("\n").rfind(konnichiha)));
    EXPECT_EQ(wordsDrawn(20), (std::set<Word>{{shinkansen, "shinkannsenn"}}));

    // Words gone: the section's message, and the stream is still the caller's to close.
    headlessClearEvents();
    writeWords("[EASY]\n[NORMAL]\n[HARD]\nnone\nnone\nnone\n");
    ASSERT_TRUE(openWordsFile());
    EXPECT_FALSE(pickWord());
    EXPECT_NE(game.wordsFile, nullptr);
    closeWordsFile();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{textWordsEmptyHard});

    // An index that leaves no record to draw (a division by zero before) is refused at once.
    headlessClearEvents();
    game.hardLine = 9;
    game.wordsLineCount = 0;
    ASSERT_TRUE(openWordsFile());
    EXPECT_FALSE(pickWord());
    EXPECT_EQ(boxTexts(), std::vector<std::string>{textWordsEmptyHard});
}
