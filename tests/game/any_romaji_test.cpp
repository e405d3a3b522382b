// Any-romaji judging: each table row, words in every spelling, misses, the guide, the option.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "backends/headless/headless.h"
#include "base/game_state.h"
#include "game/any_romaji.h"
#include "game/game_options.h"
#include "game/judge.h"
#include "game/kana_table.h"
#include "tests/game/game_test_support.h"
#include "tests/support/scratch_folder.h"

namespace {

bool isVowel(char c) { return c == 'a' || c == 'i' || c == 'u' || c == 'e' || c == 'o'; }

// Every spelling of one row, written out from the table alone: its own, then each spelling
// of its first kana followed by each of its second.
std::vector<std::string> rowSpellings(int row) {
    std::vector<std::string> spellings;
    for (int s = 0; s < listedSpellingCount(row); ++s) {
        spellings.emplace_back(kanaRow(row).spellings[s]);
    }
    if (baseRow(row) >= 0) {
        for (int b = 0; b < listedSpellingCount(baseRow(row)); ++b) {
            for (int s = 0; s < listedSpellingCount(smallRow(row)); ++s) {
                spellings.push_back(std::string(kanaRow(baseRow(row)).spellings[b]) +
                                    kanaRow(smallRow(row)).spellings[s]);
            }
        }
    }
    return spellings;
}

// A unit of a word as these tests write it: a row by its first spelling, or "=x" for a byte
// typed as it stands.
struct Unit {
    int row = -1;
    char letter = 0;
};

std::vector<Unit> unitsOf(const std::vector<std::string>& names) {
    std::vector<Unit> units;
    for (const std::string& name : names) {
        if (name[0] == '=') {
            units.push_back({-1, name[1]});
        } else {
            int row = rowOfSpelling(name);
            EXPECT_GE(row, 0) << name;
            units.push_back({row, 0});
        }
    }
    return units;
}

// Every full spelling of a row of units, built from the last unit back: っ may also be the
// next spelling's first consonant doubled (not n), ん a single n before a spelling that does
// not begin with a vowel, y, n or an apostrophe.
std::vector<std::string> wordSpellings(const std::vector<Unit>& units, size_t from = 0) {
    if (from == units.size()) return {""};
    const std::vector<std::string> rests = wordSpellings(units, from + 1);
    const Unit& unit = units[from];
    std::vector<std::string> out;
    for (const std::string& rest : rests) {
        if (unit.row < 0) {
            out.push_back(unit.letter + rest);
            continue;
        }
        const KanaRow& row = kanaRow(unit.row);
        for (const std::string& spelling : rowSpellings(unit.row)) {
            if (row.kind == KanaKind::moraicN && spelling == "n") {
                if (rest.empty() || isVowel(rest[0]) || rest[0] == 'y' || rest[0] == 'n' ||
                    rest[0] == '\'') {
                    continue;
                }
            }
            out.push_back(spelling + rest);
        }
        if (row.kind == KanaKind::sokuon && !rest.empty() && rest[0] >= 'a' && rest[0] <= 'z' &&
            !isVowel(rest[0]) && rest[0] != 'n') {
            out.push_back(rest[0] + rest);
        }
    }
    return out;
}

class AnyRomaji : public ::testing::Test {
protected:
    void SetUp() override {
        headlessReset();
        game = GameState{};
        game.anyRomaji = 1;
        headlessSetClock(100000);
    }

    static void setWord(const std::string& romaji) {
        std::strcpy(game.romajiText, romaji.c_str());
        game.romajiLength = static_cast<int>(romaji.size());
        game.cursor = 0;
        std::memset(game.typedText, 0, sizeof game.typedText);
        readRomajiUnits();
        taken.clear();
    }

    // The keys of the current word taken so far.
    static inline std::string taken;

    struct Outcome {
        int keysToComplete = -1;  // -1: the word is not complete
        int firstMiss = -1;       // index of the first key that missed, -1 for none
        int misses = 0;
    };

    // Judges each key as onTypedChar does, gapMs apart, until the word is complete. After
    // every key taken the typed text holds the keys as typed, and the guide begins with them.
    static Outcome typeKeys(const std::string& keys, uint32_t gapMs = 100) {
        Outcome outcome;
        for (size_t i = 0; i < keys.size() && outcome.keysToComplete < 0; ++i) {
            headlessAdvance(gapMs);
            const int hitsBefore = game.hits;
            judgeKey(static_cast<unsigned char>(keys[i]),
                     static_cast<unsigned char>(game.romajiText[game.cursor]));
            if (game.hits == hitsBefore) {
                if (outcome.firstMiss < 0) outcome.firstMiss = static_cast<int>(i);
                ++outcome.misses;
                continue;
            }
            taken += game.powerActive == 1 ? game.typedText[game.cursor - 1] : keys[i];
            EXPECT_EQ(game.hits, hitsBefore + 1) << "one hit per key";
            EXPECT_EQ(game.typedText, taken);
            EXPECT_EQ(std::string(game.romajiText, taken.size()), taken);
            EXPECT_EQ(game.romajiLength, static_cast<int>(std::strlen(game.romajiText)));
            if (game.cursor == game.romajiLength) outcome.keysToComplete = static_cast<int>(i + 1);
        }
        return outcome;
    }
};

// The score after n keys 100 ms apart whose first is timed against a key long ago: key k
// (from 2 on) continues a combo of k - 1.
int scoreAfter(int n) {
    int score = 0;
    for (int k = 2; k <= n; ++k) score += k + 10 * (k - 1) * (k - 1);
    return score;
}

TEST_F(AnyRomaji, EveryRowReadsAsItselfAndEverySpellingOfItCompletes) {
    const int sokuon = rowOfSpelling("xtu");
    const int moraicN = rowOfSpelling("nn");
    for (int row = 0; row < kanaRowCount(); ++row) {
        const KanaRow& kana = kanaRow(row);
        SCOPED_TRACE(kana.spellings[0]);
        // っ and ん stand before か here, where every spelling of theirs may be typed.
        const bool beforeKa = row == sokuon || row == moraicN;
        const std::string after = beforeKa ? "ka" : "";

        for (int s = 0; s < listedSpellingCount(row); ++s) {
            setWord(kana.spellings[s] + after);
            ASSERT_EQ(game.kanaUnitCount, beforeKa ? 2 : 1) << kana.spellings[s];
            EXPECT_EQ(game.kanaUnits[0].row, row);
        }
        std::vector<std::string> spellings = rowSpellings(row);
        if (row == sokuon) spellings.push_back("k");
        for (const std::string& spelling : spellings) {
            SCOPED_TRACE(spelling);
            // A spelling of the row as written in the table: lower-case letters and '.
            for (char c : spelling) EXPECT_TRUE((c >= 'a' && c <= 'z') || c == '\'');
            setWord(std::string(kana.spellings[0]) + after);
            game.hits = 0;
            const std::string keys = spelling + after;
            Outcome outcome = typeKeys(keys);
            EXPECT_EQ(outcome.keysToComplete, static_cast<int>(keys.size()));
            EXPECT_EQ(outcome.misses, 0);
            EXPECT_EQ(game.hits, static_cast<int>(keys.size()));
        }
        // No spelling is two rows' at once.
        for (int s = 0; s < listedSpellingCount(row); ++s) {
            EXPECT_EQ(rowOfSpelling(kana.spellings[s]), row) << kana.spellings[s];
        }
    }
}

struct WordCase {
    const char* romaji;
    std::vector<std::string> units;
    size_t spellings;
};

TEST_F(AnyRomaji, EverySpellingOfAWordCompletesWithItsHitsComboAndScore) {
    const WordCase words[] = {
        {"shinkannsenn", {"shi", "nn", "ka", "nn", "se", "nn"}, 576},
        {"kannji", {"ka", "nn", "ji"}, 16},
        // After ん comes に: a single n would be read with its i.
        {"konnnichiha", {"ko", "nn", "ni", "chi", "ha"}, 12},
        // A single n at the very end stays a letter typed as it stands.
        {"shashin", {"sha", "shi", "=n"}, 24},
        {"gakkou", {"ga", "xtu", "ko", "u"}, 30},
        {"cha", {"cha"}, 7},
        {"tsukue", {"tsu", "ku", "e"}, 6},
        {"fuji", {"fu", "ji"}, 4},
        {"jouzu", {"jo", "u", "zu"}, 21},
        {"rennai", {"re", "nn", "a", "i"}, 3},
        {"kyakusenn", {"kya", "ku", "se", "nn"}, 54},
        {"pc", {"=p", "=c"}, 1},
        {"no-to", {"no", "=-", "to"}, 1},
        // n' is ん: the apostrophe after it is typed once more, never taken by a single n.
        {"kinn'", {"ki", "nn", "='"}, 3},
    };
    for (const WordCase& word : words) {
        SCOPED_TRACE(word.romaji);
        const std::vector<Unit> units = unitsOf(word.units);
        setWord(word.romaji);
        ASSERT_EQ(game.kanaUnitCount, static_cast<int>(units.size()));
        for (size_t u = 0; u < units.size(); ++u) {
            EXPECT_EQ(game.kanaUnits[u].row, units[u].row) << u;
            if (units[u].row < 0) {
                EXPECT_EQ(game.kanaUnits[u].letter, units[u].letter) << u;
            }
        }
        const std::vector<std::string> spellings = wordSpellings(units);
        EXPECT_EQ(spellings.size(), word.spellings);
        EXPECT_NE(std::find(spellings.begin(), spellings.end(), word.romaji), spellings.end());
        for (const std::string& spelling : spellings) {
            SCOPED_TRACE(spelling);
            setWord(word.romaji);
            game.hits = 0;
            game.combo = 0;
            game.score = 0;
            game.lastHitTime.ms = 0;
            Outcome outcome = typeKeys(spelling);
            const int n = static_cast<int>(spelling.size());
            EXPECT_EQ(outcome.keysToComplete, n);
            EXPECT_EQ(outcome.misses, 0);
            EXPECT_EQ(game.hits, n);
            EXPECT_EQ(game.combo, n - 1);
            EXPECT_EQ(game.score, scoreAfter(n));
            EXPECT_EQ(game.typedText, spelling);
        }
    }
}

TEST_F(AnyRomaji, SpellingsNoInputMethodAcceptsMissAtTheFirstWrongKey) {
    struct Case {
        const char* romaji;
        const char* keys;
        int firstMiss;
        int keysToComplete;
    };
    const Case cases[] = {
        // The last ん still waits for its second letter.
        {"shinkannsenn", "shinkansen", -1, -1},
        {"shinkannsenn", "Shinkannsenn", 0, -1},
        // こんいちは and れない, not the words.
        {"konnnichiha", "konnichiha", 4, -1},
        {"rennai", "renai", 3, -1},
        // ka is か; chya and kiya are no spellings of ちゃ and きゃ.
        {"cha", "ca", 1, -1},
        {"cha", "chya", 2, 4},
        {"kyakusenn", "kiyakusenn", 2, -1},
        // The doubled k stands for っ, so こ must follow.
        {"gakkou", "gakou", 3, -1},
        {"tsukue", "tsukkue", 4, 7},
        // ぢ is not じ; じょ takes no single o after it as う.
        {"fuji", "fudi", 2, -1},
        {"jouzu", "jozu", 2, -1},
        {"pc", "pi", 1, -1},
        {"pc", "PC", 0, -1},
        // A miss leaves every candidate in place: the word goes on after it.
        {"shashin", "syaxsin", 3, 7},
        {"kannji", "kanqzi", 3, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.romaji) + " typed " + c.keys);
        setWord(c.romaji);
        game.hits = 0;
        Outcome outcome = typeKeys(c.keys);
        EXPECT_EQ(outcome.firstMiss, c.firstMiss);
        EXPECT_EQ(outcome.keysToComplete, c.keysToComplete);
        // Every key but the misses is a hit.
        const int judged =
            c.keysToComplete > 0 ? c.keysToComplete : static_cast<int>(std::strlen(c.keys));
        EXPECT_EQ(game.hits, judged - outcome.misses);
    }
}

TEST_F(AnyRomaji, TheGuideShowsTheSpellingTheKeysChose) {
    struct Case {
        const char* romaji;
        const char* keys;
        const char* guide;
    };
    const Case cases[] = {
        {"tsukue", "", "tsukue"},
        {"tsukue", "t", "tsukue"},
        {"tsukue", "tu", "tukue"},
        {"tsukue", "tukue", "tukue"},
        {"fuji", "h", "huji"},
        {"fuji", "huz", "huzi"},
        {"cha", "t", "tya"},
        {"cha", "chix", "chixya"},
        {"cha", "til", "tilya"},
        {"shinkannsenn", "shin", "shinkannsenn"},
        {"shinkannsenn", "shinn", "shinnkannsenn"},
        {"shinkannsenn", "shin'", "shin'kannsenn"},
        {"shinkannsenn", "cinkax", "cinkaxnsenn"},
        {"gakkou", "gax", "gaxtukou"},
        {"gakkou", "gac", "gaccou"},
        {"gakkou", "galts", "galtsukou"},
        {"konnnichiha", "koxn", "koxnnichiha"},
        {"konnnichiha", "konnnit", "konnnitiha"},
        {"kannji", "kanz", "kanzi"},
        {"jouzu", "zix", "zixyouzu"},
        {"jouzu", "jyow", "jyowuzu"},
        {"kyakusenn", "kil", "kilyakusenn"},
        // A miss changes nothing of the guide.
        {"tsukue", "tux", "tukue"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.romaji) + " typed " + c.keys);
        setWord(c.romaji);
        typeKeys(c.keys);
        EXPECT_STREQ(game.romajiText, c.guide);
        EXPECT_EQ(game.romajiLength, static_cast<int>(std::strlen(c.guide)));
    }
}

TEST_F(AnyRomaji, ScrollingMovesTheRewrittenGuide) {
    setWord("tsukue");
    game.scrollRomaji = 1;
    game.scrollTyped = 1;
    std::strcpy(game.typedText, "");
    struct Step {
        char key;
        const char* romaji;
        int romajiLength;
    };
    // The cursor stays at 0 while the romaji loses its first letter at every key.
    const Step steps[] = {
        {'t', "sukue", 5}, {'u', "kue", 3}, {'c', "ue", 2}, {'u', "e", 1}, {'e', "", 0}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.key);
        judgeKey(static_cast<unsigned char>(step.key),
                 static_cast<unsigned char>(game.romajiText[game.cursor]));
        EXPECT_STREQ(game.romajiText, step.romaji);
        EXPECT_EQ(game.romajiLength, step.romajiLength);
        EXPECT_EQ(game.cursor, 0);
    }
    EXPECT_EQ(game.hits, 5);
}

TEST_F(AnyRomaji, PowerTypesTheGuidesNextLetterAndMissLeavesTheCombo) {
    setWord("shinkannsenn");
    Outcome outcome = typeKeys("sin");
    EXPECT_EQ(outcome.misses, 0);
    game.powerActive = 1;
    outcome = typeKeys(std::string(12, '\b'));
    EXPECT_EQ(outcome.keysToComplete, 8);
    EXPECT_STREQ(game.typedText, "sinkannsenn");
    EXPECT_EQ(game.hits, 11);

    game.powerActive = 0;
    setWord("fuji");
    typeKeys("hu");
    game.combo = 7;
    game.maxCombo = 9;
    game.missGuardActive = 1;
    outcome = typeKeys("x");
    EXPECT_EQ(outcome.misses, 1);
    EXPECT_EQ(game.combo, 7);
    game.missGuardActive = 0;
    outcome = typeKeys("x");
    EXPECT_EQ(game.combo, 0);
    EXPECT_STREQ(game.comboLabel, "0");
}

// Every word the game ships with reads as kana, ー aside, and completes typed as stored.
TEST_F(AnyRomaji, TheShippedWordsReadAsKanaAndCompleteAsStored) {
    std::ifstream file(KEYFALL_SOURCE_DIR "/Date/Words.txt", std::ios::binary);
    ASSERT_TRUE(file);
    std::string line;
    bool inSections = false;
    int words = 0;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("[EASY]", 0) == 0) inSections = true;
        const size_t comma = line.find(',');
        if (!inSections || line[0] == '[' || comma == std::string::npos) continue;
        const std::string romaji = line.substr(comma + 1);
        SCOPED_TRACE(romaji);
        setWord(romaji);
        for (int u = 0; u < game.kanaUnitCount; ++u) {
            if (game.kanaUnits[u].row < 0) {
                EXPECT_EQ(game.kanaUnits[u].letter, '-') << u;
            }
        }
        Outcome outcome = typeKeys(romaji);
        EXPECT_EQ(outcome.keysToComplete, static_cast<int>(romaji.size()));
        EXPECT_EQ(outcome.misses, 0);
        ++words;
    }
    EXPECT_GT(words, 600);
}

TEST(AnyRomajiOption, ReadFromGameIniAtCreation) {
    struct Case {
        const char* gameIni;  // nullptr: no file
        int anyRomaji;
    };
    const Case cases[] = {
        {nullptr, 0},
        {"[POSS]\nNPosX=314\n", 0},
        {"[OPTIONS]\nRomaji=Any\n", 1},
        {"[POSS]\nNPosX=314\n[options]\r\n  romaji = \"any\" \r\n", 1},
        {"[OPTIONS]\nRomaji=ANY\n", 1},
        {"[OPTIONS]\nRomaji=Classic\n", 0},
        {"[OPTIONS]\nRomaji=Anyway\n", 0},
        {"[OPTIONS]\nRomaji=\n", 0},
        {"[OPTIONS]\nRomaji\n", 0},
        {"[POSS]\nRomaji=Any\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gameIni ? c.gameIni : "no file");
        ScratchFolder scratch{"options"};
        if (c.gameIni) scratch.write("Date/Game.ini", c.gameIni);
        game = GameState{};
        game.anyRomaji = 1 - c.anyRomaji;
        loadGameOptions();
        EXPECT_EQ(game.anyRomaji, c.anyRomaji);
    }
}

// A whole game on the headless machine: each new word is read for the judge as it comes.
TEST_F(GameScenario, AnyRomajiWordsCompleteInTheirInputMethodSpellings) {
    game.anyRomaji = 1;
    selectDifficulty(Hard);
    startGame();
    const int quota = game.wordsToRefill;
    int keysTyped = 0;
    for (int word = 0; word < 4; ++word) {
        SCOPED_TRACE(game.romajiText);
        const std::string stored = game.romajiText;
        const std::string keys = stored == "shinkannsenn" ? "cinkaxnsen'" : "koxnnitiha";
        for (char key : keys) {
            headlessAdvance(150);
            headlessSend(msgChar, static_cast<unsigned char>(key), 0);
        }
        keysTyped += static_cast<int>(keys.size());
        EXPECT_EQ(game.cursor, 0) << "the next word has come";
        EXPECT_EQ(game.wordsToRefill, quota - word - 1);
    }
    EXPECT_EQ(game.hits, keysTyped);
}

}  // namespace
