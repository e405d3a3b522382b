// The records screen: golden frames of three histories, byte for byte, and the repaint rule;
// practice on the weakest kana.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/menu.h"
#include "app/replay.h"
#include "backends/headless/headless.h"
#include "base/texts.h"
#include "game/kana_table.h"
#include "records/history_file.h"
#include "records/journal.h"
#include "render/plot.h"
#include "sim/sim_output.h"
#include "tests/app/app_fixture.h"
#include "tests/support/synthetic_history.h"

namespace {

const std::string framesFolder = std::string(KEYFALL_SOURCE_DIR) + "/tests/app/frames/";

// The frame as a 24-bit bitmap file, so that a golden frame can be looked at.
std::string bitmapFile(const std::vector<uint8_t>& pixels) {
    std::string file(54, '\0');
    auto put = [&file](size_t at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<char>(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, static_cast<uint32_t>(54 + pixels.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, frameWidth, 4);
    put(22, frameHeight, 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, static_cast<uint32_t>(pixels.size()), 4);
    file.append(reinterpret_cast<const char*>(pixels.data()), pixels.size());
    return file;
}

class RecordsScreenTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        // The dates under the chart are local dates.
        setenv("TZ", "UTC", 1);
        tzset();
        std::filesystem::copy_file(std::string(KEYFALL_SOURCE_DIR) + "/Date/Image/Glyphs.bmp",
                                   root / "Date" / "Image" / "Glyphs.bmp");
    }
};

TEST_F(RecordsScreenTest, GoldenFrames) {
    struct Case {
        const char* name;
        int games;
        int damaged;
        unsigned difficulty;
    };
    const Case cases[] = {
        {"records-empty", 0, 0, cmdEasy},
        {"records-one-game", 1, 0, cmdHard},  // the first made-up game is a Hard one
        {"records-2000-games", 2000, 3, cmdNormal},
    };
    headlessCreateWindow(windowProcedure);
    for (const Case& c : cases) {
        writeFile("Date/History.txt", syntheticHistory(c.games, c.damaged, 64));
        headlessSend(msgCommand, c.difficulty, 0);
        headlessSend(msgCommand, cmdRecords, 0);
        headlessPump();
        const std::string frame = bitmapFile(headlessPresentedFrame());
        const std::string path = framesFolder + c.name + ".bmp";
        if (std::getenv("KEYFALL_WRITE_GOLDEN")) {
            std::ofstream(path, std::ios::binary) << frame;
        }
        std::ifstream golden(path, std::ios::binary);
        const std::string expected((std::istreambuf_iterator<char>(golden)), {});
        EXPECT_TRUE(frame == expected) << c.name << ": the frame differs from " << path;
        EXPECT_TRUE(headlessLastPaintTexts().empty()) << c.name << ": the platform drew text";
        headlessSend(msgCommand, cmdGameScreen, 0);
        headlessPump();
    }
}

// A repaint of an unchanged screen composes nothing; a game kept by another copy of the game
// makes the next paint read the history again.
TEST_F(RecordsScreenTest, RepaintComposesOnlyWhenTheHistoryChanges) {
    writeFile("Date/History.txt", syntheticHistory(10, 0, 64));
    headlessCreateWindow(windowProcedure);
    headlessSend(msgCommand, cmdRecords, 0);
    headlessPump();
    const int made = headlessFramesMade();
    headlessSend(msgPaint, 0, 0);
    EXPECT_EQ(headlessFramesMade(), made);
    writeFile("Date/History.txt", syntheticHistory(11, 0, 64));
    headlessSend(msgPaint, 0, 0);
    EXPECT_EQ(headlessFramesMade(), made + 1);
}

// A practice game favours the weak kana (ね of neko here), enters no ranking, is kept as
// practice and plays again exactly from its journal, though the history changed since.
TEST_F(RecordsScreenTest, PracticeFavoursTheWeakKanaAndIsKeptUnranked) {
    HistoryRecord weak;
    weak.time = 1796000000;
    weak.kana = {{"\x82\xCB", 5, 10}, {"\x82\xA2", 20, 0}};
    writeFile("Date/History.txt", formatHistoryRecord(weak));
    std::vector<std::string> boxes;
    headlessSetMessageBoxHandler(
        [&boxes](const std::string&, const std::string& text) { boxes.push_back(text); });
    headlessCreateWindow(windowProcedure);
    headlessSend(msgCommand, cmdPractice, 0);
    ASSERT_EQ(game.practiceKanaCount, 1) << "い was never missed";
    EXPECT_STREQ(game.practiceKana[0], "\x82\xCB");
    headlessAdvance(3001);
    int neko = 0;
    int words = 0;
    for (; words < 100 && game.playing == 1; ++words) {
        neko += std::string(game.romajiText) == "neko";
        const std::string romaji = game.romajiText;
        for (char c : romaji) headlessSend(msgChar, static_cast<unsigned char>(c), 0);
        headlessAdvance(50);
    }
    // neko weighs 4 and inu 1: four in five words are neko, where the plain draw gives half.
    ASSERT_EQ(words, 100);
    EXPECT_GE(neko, 65);
    while (game.playing == 1) headlessAdvance(1000);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("\x97\xFB\x8FK"), std::string::npos) << "the box says practice";
    EXPECT_FALSE(std::filesystem::exists(root / "Date" / "RankingDate.ini"));

    HistoryContents contents;
    ASSERT_TRUE(readHistory(contents, true));
    ASSERT_EQ(contents.records.size(), 2u);
    const HistoryRecord& kept = contents.records[1];
    EXPECT_EQ(kept.practice, 1);
    Journal journal;
    ASSERT_TRUE(decodeJournal(kept.journal, journal));
    EXPECT_EQ(journal.start.practiceKana, "\x82\xCB ");
    // The history the replay finds holds other weak kana now; the journal's are played.
    writeFile("Date/History.txt", syntheticHistory(30, 0, 64));
    const int paints = headlessPaintCount();
    const ReplayOutcome outcome = verifyJournal(game.mainWindow, journal);
    EXPECT_EQ(headlessPaintCount(), paints) << "a verification paints no key";
    EXPECT_TRUE(outcome.gameOver && outcome.consistent);
    EXPECT_EQ(outcome.score, kept.score);
    EXPECT_EQ(outcome.words, kept.words);
}

}  // namespace

// Every label of the screen and every kana a tally can name has its glyph in the atlas.
TEST(RecordsGlyphs, EveryTextTheScreenDrawsIsInTheAtlas) {
    const char* const labels[] = {
        textRecordsTitle,         textRecordsNone,          textRecordsKeptFormat,
        textRecordsDamagedFormat, textRecordsScore,         textRecordsBestFormat,
        textRecordsPractice,      textRecordsKeysPerSecond, textRecordsAccuracy,
        textRecordsMissRate,      textRecordsWeakKana,      "Easy Normal Hard 0123456789.-%+",
    };
    for (const char* label : labels) EXPECT_TRUE(bitmapTextDrawable(label)) << simText(label);
    for (int row = 0; row < kanaRowCount(); ++row) {
        EXPECT_TRUE(bitmapTextDrawable(kanaOfRow(row))) << simText(kanaOfRow(row));
    }
}
