// The window procedure's bookkeeping: the window of every message, the paint of the screen
// shown, unknown commands, and the order of the close sequence.
#include <string>
#include <vector>

#include "app/menu.h"
#include "tests/app/app_fixture.h"

namespace {

// What the close sequence had already released when the window was destroyed.
struct AtDestroy {
    bool seen = false;
    int liveFonts = -1;
    bool imagesHeld = true;
    bool countdownKilled = false;
};
AtDestroy atDestroy;

intptr_t watchingProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) {
    if (message == msgDestroy) {
        atDestroy.seen = true;
        atDestroy.liveFonts = headlessLiveFonts();
        atDestroy.imagesHeld = game.backBuffer.bits != nullptr || game.imgPower.header != nullptr;
        for (const HeadlessEvent& e : headlessEvents()) {
            atDestroy.countdownKilled |= e.kind == HeadlessEventKind::timerKill && e.id == 0;
        }
    }
    return windowProcedure(window, message, wParam, lParam);
}

}  // namespace

TEST_F(AppTest, EveryMessageStoresItsWindowFirst) {
    headlessCreateWindow(windowProcedure);
    NativeWindow* handles[] = {reinterpret_cast<NativeWindow*>(0x1000),
                               reinterpret_cast<NativeWindow*>(0x2000),
                               reinterpret_cast<NativeWindow*>(0x3000)};
    // A handled message that does nothing, a command that does nothing, and one the procedure
    // leaves to the default handler.
    const uint32_t messages[][2] = {{msgTimer, 7}, {msgCommand, 40003}, {0x0200, 0}};
    for (int i = 0; i < 3; ++i) {
        windowProcedure(handles[i], messages[i][0], messages[i][1], 0);
        EXPECT_EQ(game.mainWindow, handles[i]) << "message " << messages[i][0];
    }
}

TEST_F(AppTest, PaintsTheScreenShownAndIgnoresUnknownCommands) {
    headlessCreateWindow(windowProcedure);
    headlessClearEvents();
    for (unsigned command : {40003u, 40006u, 40099u, 0u}) headlessSend(msgCommand, command, 0);
    headlessPump();
    EXPECT_TRUE(headlessEvents().empty());
    EXPECT_EQ(game.rankingShown, 0);
    EXPECT_EQ(headlessPaintCount(), 1);

    headlessSend(msgCommand, cmdRanking, 0);
    headlessPump();
    EXPECT_EQ(headlessPaintCount(), 2);
    EXPECT_EQ(headlessLastPaintTexts().size(), 5u);  // the five ranking entries

    headlessSend(msgCommand, cmdStart, 0);  // greyed on the ranking screen, but it still counts
    headlessAdvance(1);
    headlessSend(msgCommand, cmdGameScreen, 0);
    headlessPump();
    EXPECT_EQ(game.rankingShown, 0);
    // The game screen while counting down: the countdown digit alone.
    const std::vector<HeadlessText>& texts = headlessLastPaintTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "3");
    EXPECT_EQ(texts[0].x, 320);
    EXPECT_EQ(texts[0].y, 120);
}

TEST_F(AppTest, CloseReleasesEverythingBeforeTheWindowIsDestroyed) {
    atDestroy = AtDestroy{};
    headlessCreateWindow(watchingProcedure);
    headlessSend(msgCommand, cmdStart, 0);
    headlessAdvance(1500);
    headlessClearEvents();
    headlessSend(msgClose, 0, 0);
    ASSERT_TRUE(atDestroy.seen);
    EXPECT_TRUE(atDestroy.countdownKilled);
    EXPECT_EQ(atDestroy.liveFonts, 0);
    EXPECT_FALSE(atDestroy.imagesHeld);
    // Timer 0 is the only one killed by name; the music is left to the end of the process.
    std::vector<std::string> events;
    for (const HeadlessEvent& e : headlessEvents()) {
        if (e.kind == HeadlessEventKind::timerKill)
            events.push_back("kill " + std::to_string(e.id));
        if (e.kind == HeadlessEventKind::soundStop) events.push_back("sound stop");
    }
    EXPECT_EQ(events, (std::vector<std::string>{"kill 0"}));
    EXPECT_FALSE(headlessWindowAlive());
    EXPECT_TRUE(headlessQuitPosted());
}
