// The ranking screen: five balloons as wide as the first label, texts at the common offset.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/frame.h"
#include "tests/render/screen_fixture.h"

namespace {

struct Placed {
    int x, y;
    std::string text;
    bool operator==(const Placed&) const = default;
};

std::vector<Placed> placedTexts() {
    std::vector<Placed> placed;
    for (const HeadlessText& t : headlessLastPaintTexts()) placed.push_back({t.x, t.y, t.text});
    return placed;
}

}  // namespace

class RankingScreenTest : public ScreenTest {
protected:
    void writeRanking(const std::string& text) {
        std::filesystem::create_directories(scratch.path() / "Date");
        writeFile(scratch.path() / "Date" / "RankingDate.ini", text);
    }

    std::string runsOnRow(int row) const {
        return sliceRuns([&](int column) { return presented(column, row); });
    }

    void showRanking() {
        game.rankingShown = 1;
        paint();
    }
};

TEST_F(RankingScreenTest, AllBalloonsTakeTheFirstLabelsWidthAndTextsItsOffset) {
    writeImages();
    writeRanking(
        "[EASY]\r\n1=1200\r\n2=800\r\n3=410\r\n4=90\r\n5=35\r\n"
        "[NORMAL]\r\n1=77\r\n");
    openWindow();
    showRanking();
    // "1.1200" is 90 px wide: balloons of 105 columns, texts from centre - 45.
    const std::vector<Placed> expected = {{75, 24, "1.1200"},
                                          {175, 79, "2.800"},
                                          {275, 134, "3.410"},
                                          {375, 189, "4.90"},
                                          {475, 244, "5.35"}};
    EXPECT_EQ(placedTexts(), expected);
    EXPECT_STREQ(game.rankingText[0], "1200");
    EXPECT_STREQ(game.rankingText[4], "35");
    EXPECT_EQ(runsOnRow(266), "L 68-72 M 73-167 R 168-172");
    EXPECT_EQ(runsOnRow(211), "L 168-172 M 173-267 R 268-272");
    EXPECT_EQ(runsOnRow(46), "L 468-472 M 473-567 R 568-572");
    for (const HeadlessText& t : headlessLastPaintTexts()) EXPECT_EQ(t.colour, 0u);
}

TEST_F(RankingScreenTest, EmptyEntriesShowThePrefixesInBalloonsOfTheirWidth) {
    writeImages();
    openWindow();
    showRanking();
    const std::vector<Placed> expected = {
        {105, 24, "1."}, {205, 79, "2."}, {305, 134, "3."}, {405, 189, "4."}, {505, 244, "5."}};
    EXPECT_EQ(placedTexts(), expected);
    EXPECT_EQ(runsOnRow(266), "L 98-102 M 103-137 R 138-142");  // "1." + 15 = 45 columns
}

TEST_F(RankingScreenTest, AWideFirstLabelPushesTheOuterBalloonsInButNotTheTexts) {
    writeImages();
    writeRanking("[EASY]\r\n1=123456789012345\r\n5=1\r\n");  // "1." + 15 digits: 255 px
    openWindow();
    showRanking();
    EXPECT_EQ(runsOnRow(266), "M 0-129 R 130-134");             // centre 0, w 270
    EXPECT_EQ(runsOnRow(46), "L 370-374 M 375-634 R 635-639");  // ends at the right edge
    const std::vector<Placed> texts = placedTexts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0], (Placed{-7, 24, "1.123456789012345"}));
    EXPECT_EQ(texts[4], (Placed{393, 244, "5.1"}));
}

TEST_F(RankingScreenTest, TheFileIsReadAgainAtEveryPaint) {
    writeImages();
    writeRanking("[EASY]\r\n1=500\r\n");
    openWindow();
    showRanking();
    ASSERT_FALSE(placedTexts().empty());
    EXPECT_EQ(placedTexts()[0].text, "1.500");
    writeRanking("[EASY]\r\n1=900\r\n2=500\r\n");
    game.rankingShown = 0;
    paint();
    showRanking();
    ASSERT_EQ(placedTexts().size(), 5u);
    EXPECT_EQ(placedTexts()[0].text, "1.900");
    EXPECT_EQ(placedTexts()[1].text, "2.500");
}

TEST_F(RankingScreenTest, RepaintsReplaceTheFontAndLeaveNothingBehind) {
    writeImages();
    writeRanking("[EASY]\r\n1=1200\r\n");
    openWindow();
    game.playing = 1;
    for (int i = 0; i < 500; ++i) {
        game.rankingShown = i % 50 == 49 ? 0 : 1;
        paint();
        ASSERT_EQ(headlessLiveFonts(), 1);
        ASSERT_EQ(headlessLiveBitmaps(), 1);  // the last frame, kept to be shown again
    }
    EXPECT_EQ(headlessMisuses(), 0);
    EXPECT_EQ(headlessPaintCount(), 501);
    EXPECT_EQ(headlessPresentedHeight(), 320);  // 480 asked; the frame has 320 rows
}
