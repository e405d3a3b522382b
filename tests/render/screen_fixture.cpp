// A headless window whose procedure creates, paints and releases what the screens use.
#include "tests/render/screen_fixture.h"

#include "ranking/ranking_file.h"
#include "render/frame.h"
#include "render/game_screen.h"
#include "render/ranking_screen.h"

namespace {

intptr_t screenProcedure(WindowHandle window, uint32_t message, uintptr_t, intptr_t) {
    switch (message) {
        case msgCreate:
            game.memoryDC = createMemoryContext(window);
            loadLayout();
            loadImages();
            game.font = createGameFont();
            selectFont(game.memoryDC, game.font);
            break;
        case msgPaint:
            if (game.rankingShown == 1) {
                readRanking(game.rankingText[0], game.rankingText[1], game.rankingText[2],
                            game.rankingText[3], game.rankingText[4]);
                paintRankingScreen(window);
            } else {
                paintGameScreen(window);
            }
            break;
        default: break;
    }
    return 0;
}

TestImage filled(int width, int height, Pixel pixel) { return TestImage(width, height, pixel); }

}  // namespace

void ScreenTest::SetUp() {
    headlessReset();
    game = GameState{};
}

void ScreenTest::TearDown() {
    closeWindow();
    headlessReset();
}

void ScreenTest::writeImages() {
    const std::filesystem::path folder = imageFolderOf(scratch);
    TestImage mainBack(640, 320);
    for (int r = 0; r < 200; ++r) {
        for (int c = 0; c < 640; ++c) mainBack.set(c, r, backGrey);
    }
    writeFile(folder / "MainBack.bmp", mainBack.fileBytes());
    writeFile(folder / "RankingBack.bmp", filled(640, 320, {}).fileBytes());
    TestImage time(12, 12);
    for (int r = 0; r < 12; ++r) {
        for (int c = 0; c < 12; ++c) time.set(c, r, {static_cast<uint8_t>(100 + c), 1, 1});
    }
    writeFile(folder / "Time.bmp", time.fileBytes());
    writeFile(folder / "Frame.bmp", makeFrame().fileBytes());
    writeFile(folder / "ItemBox.bmp", filled(40, 40, itemBoxColour).fileBytes());
    const char* icons[] = {"TimeStop.bmp", "Bomb.bmp", "1_2.bmp", "Miss.bmp", "Power.bmp"};
    for (int s = 0; s < 5; ++s) {
        writeFile(folder / icons[s],
                  filled(32, 32, {static_cast<uint8_t>(s + 1), 2, 2}).fileBytes());
    }
}

void ScreenTest::writeGameIni(const std::string& text) {
    std::filesystem::create_directories(scratch.path() / "Date");
    writeFile(scratch.path() / "Date" / "Game.ini", text);
}

void ScreenTest::openWindow() { window = headlessCreateWindow(screenProcedure); }

void ScreenTest::paint() {
    invalidateWindow(window);
    headlessPump();
}

void ScreenTest::closeWindow() {
    if (!window) return;
    releaseImages();
    selectFont(game.memoryDC, nullptr);
    deleteFont(game.font);
    game.font = nullptr;
    window = nullptr;
    EXPECT_EQ(headlessLiveFonts(), 0);
    EXPECT_EQ(headlessLiveBitmaps(), 0);
    EXPECT_EQ(headlessMisuses(), 0);
}

Pixel ScreenTest::presented(int column, int row) const {
    const std::vector<uint8_t>& frame = headlessPresentedFrame();
    size_t at = (static_cast<size_t>(row) * 640 + column) * 3;
    if (at + 2 >= frame.size()) return {0xEE, 0xEE, 0xEE};
    return {frame[at], frame[at + 1], frame[at + 2]};
}
