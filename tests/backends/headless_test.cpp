// The headless machine: timers in due order, paints before ticks, nested message boxes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "backends/headless/headless.h"
#include "tests/support/scratch_folder.h"

namespace {

std::vector<std::string> trace;
// Timer 2 holds itself at each tick when set, watching this file when it is not empty.
bool holdTimer2 = false;
std::string watchedFile;
// msgChar opens a message box when set.
bool boxOnChar = false;

intptr_t traceProcedure(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t) {
    switch (message) {
        case msgCreate: trace.push_back("create"); break;
        case msgPaint: {
            trace.push_back("paint");
            DeviceContext dc = beginPaint(window);
            endPaint(window, dc);
            break;
        }
        case msgTimer:
            trace.push_back("timer " + std::to_string(wParam) + " at " +
                            std::to_string(headlessElapsedMs()));
            if (wParam == 1) invalidateWindow(window);
            if (wParam == 2 && holdTimer2) {
                holdTimerUntilNextMessage(window, 2,
                                          watchedFile.empty() ? nullptr : watchedFile.c_str());
            }
            break;
        case msgClose:
            trace.push_back("close");
            destroyWindow(window);
            break;
        case msgDestroy:
            trace.push_back("destroy");
            postQuitMessage(0);
            break;
        case msgChar:
            trace.push_back("char");
            if (boxOnChar) showMessageBox(window, "", "");
            break;
        default: break;
    }
    return 0;
}

class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override {
        headlessReset();
        trace.clear();
        holdTimer2 = false;
        watchedFile.clear();
        boxOnChar = false;
        window = headlessCreateWindow(traceProcedure);
    }
    WindowHandle window = nullptr;
};

}  // namespace

TEST_F(HeadlessTest, CreatesThenPaintsOnce) {
    EXPECT_EQ(trace, (std::vector<std::string>{"create", "paint"}));
}

TEST_F(HeadlessTest, TimersFireInDueOrderWithTiesInSetOrder) {
    trace.clear();
    setTimer(window, 2, 5);
    setTimer(window, 1, 10);
    setTimer(window, 3, 10);
    headlessAdvance(10);
    // Timer 1 invalidates: the paint comes before the next tick (timer 3 at the same time).
    EXPECT_EQ(trace, (std::vector<std::string>{"timer 2 at 5", "timer 2 at 10", "timer 1 at 10",
                                               "paint", "timer 3 at 10"}));
    // Setting a running timer again restarts it from now.
    trace.clear();
    setTimer(window, 2, 7);
    killTimer(window, 1);
    killTimer(window, 3);
    headlessAdvance(14);
    EXPECT_EQ(trace, (std::vector<std::string>{"timer 2 at 17", "timer 2 at 24"}));
    EXPECT_EQ(headlessTimerPeriod(2), 7u);
    EXPECT_FALSE(headlessTimerRunning(1));
}

TEST_F(HeadlessTest, MessageBoxRunsANestedLoopAndBlocksKeyboard) {
    setTimer(window, 1, 100);
    trace.clear();
    bool charAccepted = true;
    headlessSetMessageBoxHandler([&](const std::string& caption, const std::string& text) {
        EXPECT_EQ(caption, "Error");
        EXPECT_EQ(text, "boom");
        EXPECT_EQ(headlessOpenBoxes(), 1);
        headlessAdvance(250);
        charAccepted = headlessSend(msgChar, 'a', 0);
    });
    showMessageBox(window, "boom", "Error");
    EXPECT_FALSE(charAccepted);
    EXPECT_EQ(headlessOpenBoxes(), 0);
    EXPECT_EQ(trace,
              (std::vector<std::string>{"timer 1 at 100", "paint", "timer 1 at 200", "paint"}));
    ASSERT_FALSE(headlessEvents().empty());
    EXPECT_EQ(headlessEvents().back().kind, HeadlessEventKind::messageBox);
}

TEST_F(HeadlessTest, ClosePostsAndEndsTheLoopWithItsCode) {
    trace.clear();
    setTimer(window, 0, 1);
    postCloseMessage(window);
    headlessAdvance(5);
    EXPECT_EQ(trace, (std::vector<std::string>{"close", "destroy"}));
    EXPECT_TRUE(headlessQuitPosted());
    EXPECT_EQ(headlessExitCode(), 0);
    EXPECT_FALSE(headlessWindowAlive());
    EXPECT_FALSE(headlessTimerRunning(0));
}

TEST_F(HeadlessTest, ClocksFollowVirtualTime) {
    headlessSetClock(0xFFFFFF00u);
    headlessSetCalendarTime(1000);
    headlessAdvance(0x200);
    EXPECT_EQ(systemTimeMs(), 0x100u);  // the 32-bit clock wraps
    EXPECT_EQ(calendarTimeSeconds(), 1000);
    headlessAdvance(600);
    EXPECT_EQ(calendarTimeSeconds(), 1001);
}

TEST_F(HeadlessTest, MeasuresCp932WithFixedMetrics) {
    DeviceContext dc = createMemoryContext(window);
    EXPECT_EQ(measureText(dc, "A"), 15);
    EXPECT_EQ(measureText(dc, "shinkannsenn"), 180);
    EXPECT_EQ(measureText(dc, "\x82\xb5\x82\xf1"), 60);  // two double-byte characters
    EXPECT_EQ(measureText(dc, "\x95\x5c"), 30);          // trail byte 0x5C is part of it
    EXPECT_EQ(measureText(dc, ""), 0);
}

TEST_F(HeadlessTest, AHeldTimerSleepsUntilAnotherMessageOrItsFileChanges) {
    ScratchFolder folder("headless-hold");
    setTimer(window, 2, 4);
    setTimer(window, 1, 10);
    holdTimer2 = true;
    trace.clear();
    // Its own ticks do not end the hold; timer 1's tick does, and the next tick holds again.
    headlessAdvance(15);
    EXPECT_EQ(trace, (std::vector<std::string>{"timer 2 at 4", "timer 1 at 10", "paint",
                                               "timer 2 at 12"}));
    EXPECT_EQ(headlessTicksLeftOut(), 1);
    EXPECT_TRUE(headlessTimerHeld(2));

    // Any other message ends it; so does setting the timer again.
    killTimer(window, 1);
    trace.clear();
    headlessSend(msgCommand, 0, 0);
    headlessAdvance(5);
    EXPECT_EQ(trace, (std::vector<std::string>{"timer 2 at 16"}));
    setTimer(window, 2, 4);
    headlessAdvance(4);
    EXPECT_EQ(trace, (std::vector<std::string>{"timer 2 at 16", "timer 2 at 24"}));

    // A hold made inside a message's nested loop ends when that message is over.
    boxOnChar = true;
    headlessSetMessageBoxHandler(
        [](const std::string&, const std::string&) { headlessAdvance(20); });
    trace.clear();
    headlessSend(msgChar, 'a', 0);
    EXPECT_EQ(trace, (std::vector<std::string>{"char", "timer 2 at 28"}));
    EXPECT_FALSE(headlessTimerHeld(2));
    headlessAdvance(4);
    EXPECT_EQ(trace, (std::vector<std::string>{"char", "timer 2 at 28", "timer 2 at 48"}));

    // A watched file: its change ends the hold at the next tick, and only its change.
    watchedFile = (folder.path() / "watched.ini").string();
    headlessSend(msgCommand, 0, 0);
    headlessAdvance(4);  // the tick at 52 holds, watching a file not yet made
    trace.clear();
    headlessAdvance(40);
    EXPECT_TRUE(trace.empty());
    folder.write("watched.ini", "[EASY]\r\n1=5\r\n");
    headlessAdvance(40);
    folder.write("watched.ini", "[EASY]\r\n1=6\r\n");
    headlessAdvance(4);
    std::filesystem::remove(folder.path() / "watched.ini");
    headlessAdvance(4);
    EXPECT_EQ(trace,
              (std::vector<std::string>{"timer 2 at 96", "timer 2 at 136", "timer 2 at 140"}));
    headlessSetMessageBoxHandler(nullptr);
}
