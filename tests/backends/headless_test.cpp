// The headless machine: timers in due order, paints before ticks, nested message boxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backends/headless/headless.h"

namespace {

std::vector<std::string> trace;

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
            break;
        case msgClose:
            trace.push_back("close");
            destroyWindow(window);
            break;
        case msgDestroy:
            trace.push_back("destroy");
            postQuitMessage(0);
            break;
        case msgChar: trace.push_back("char"); break;
        default: break;
    }
    return 0;
}

class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override {
        headlessReset();
        trace.clear();
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
