// The contract of the input and clock services, on the headless backend
// where time is exact.
#include <gtest/gtest.h>

#include "platform/display.h"
#include "platform/headless/headless.h"
#include "platform/input.h"

namespace {

class Headless : public ::testing::Test {
  protected:
    void SetUp() override {
        headless_reset();
        screen_open(SCREEN_W, SCREEN_H, 8, 0, 0, 0);
    }

    static void at(int64_t ms, int32_t action, int32_t code = 0, int32_t ch = 0,
                   int64_t stall = 0) {
        headless_schedule(HeadlessInput{HEADLESS_START_MS + ms, action, code, ch, stall});
    }
};

TEST_F(Headless, ClockStartsAt1000SecondsAndMovesOnlyBySleeping) {
    EXPECT_EQ(clock_seconds(), 1000.0);
    EXPECT_EQ(clock_seconds(), 1000.0);
    sleep_ms(1, SLEEP_PLAIN);
    EXPECT_EQ(headless_now_ms(), HEADLESS_START_MS + 1);
    sleep_ms(250, SLEEP_PLAIN);
    EXPECT_EQ(headless_now_ms(), HEADLESS_START_MS + 251);
    sleep_ms(0, SLEEP_PLAIN);
    sleep_ms(-5, SLEEP_PLAIN);
    EXPECT_EQ(headless_now_ms(), HEADLESS_START_MS + 251);
    EXPECT_DOUBLE_EQ(clock_seconds(), 1000.251);
}

TEST_F(Headless, ScriptedChangeTakesEffectAtTheFirstSampleAtOrAfterItsTime) {
    at(3, HEADLESS_PRESS, KEY_UP);
    at(20, HEADLESS_PRESS, KEY_LEFT);
    sleep_ms(9, SLEEP_PLAIN);
    EXPECT_EQ(key_down(KEY_UP), 0);  // no sample yet
    sleep_ms(1, SLEEP_PLAIN);        // the sample at 10 ms
    EXPECT_EQ(key_down(KEY_UP), -1);
    EXPECT_EQ(key_down(KEY_LEFT), 0);
    sleep_ms(10, SLEEP_PLAIN);  // the sample at 20 ms, exactly on time
    EXPECT_EQ(key_down(KEY_LEFT), -1);
}

TEST_F(Headless, KeyPressedAndReleasedBetweenTwoSamplesIsNeverSeen) {
    at(1, HEADLESS_PRESS, KEY_UP);
    at(8, HEADLESS_RELEASE, KEY_UP);
    for (int32_t ms = 0; ms < 30; ++ms) {
        sleep_ms(1, SLEEP_PLAIN);
        EXPECT_EQ(key_down(KEY_UP), 0) << "at " << ms + 1 << " ms";
    }
    // Both events still reach the queue, in order.
    InputEvent event{};
    ASSERT_EQ(poll_event(event), -1);
    EXPECT_EQ(event.type, EVENT_KEY_PRESSED);
    ASSERT_EQ(poll_event(event), -1);
    EXPECT_EQ(event.type, EVENT_KEY_RELEASED);
    EXPECT_EQ(event.scan_code, KEY_UP);
}

TEST_F(Headless, KeyDownOutsideTheCodeRangeIsZero) {
    at(0, HEADLESS_PRESS, 0);
    at(0, HEADLESS_PRESS, 127);
    sleep_ms(10, SLEEP_PLAIN);
    EXPECT_EQ(key_down(127), -1);
    for (const int32_t code : {-1, 128, 1000, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(key_down(code), 0) << code;
    }
}

TEST_F(Headless, PollEventLeavesTheRecordUntouchedWhenNothingIsQueued) {
    InputEvent event{7, 8, 9, 10, 11};
    EXPECT_EQ(poll_event(event), 0);
    EXPECT_EQ(event.type, 7);
    EXPECT_EQ(event.scan_code, 8);
    EXPECT_EQ(event.char_code, 9);
    EXPECT_EQ(event.x, 10);
    EXPECT_EQ(event.y, 11);
}

TEST_F(Headless, RingDropsTheOldestBeyond127PendingEvents) {
    // 130 pointer moves after one Ctrl release: the release and the first
    // two moves are lost.
    at(0, HEADLESS_RELEASE, KEY_CTRL);
    for (int32_t i = 0; i < 130; ++i) {
        at(0, HEADLESS_POINTER);
    }
    sleep_ms(10, SLEEP_PLAIN);
    InputEvent event{};
    int32_t taken = 0;
    while (poll_event(event) != 0) {
        EXPECT_EQ(event.type, EVENT_POINTER_MOVED);
        ++taken;
    }
    EXPECT_EQ(taken, EVENT_RING_CAPACITY);
}

TEST_F(Headless, CtrlGivesAReleaseEventWithItsScanCodeAndSetsNoFlag) {
    at(0, HEADLESS_PRESS, KEY_CTRL);
    at(50, HEADLESS_RELEASE, KEY_CTRL);
    sleep_ms(100, SLEEP_PLAIN);
    InputEvent event{};
    ASSERT_EQ(poll_event(event), -1);
    EXPECT_EQ(event.type, EVENT_KEY_PRESSED);
    ASSERT_EQ(poll_event(event), -1);
    EXPECT_EQ(event.type, EVENT_KEY_RELEASED);
    EXPECT_EQ(event.scan_code, KEY_CTRL);
    // Ctrl alone is not typing: the wait lasts until the next typed key.
    at(400, HEADLESS_PRESS, KEY_UP);
    wait_key(WAIT_FOREVER);
    EXPECT_EQ(headless_now_ms(), HEADLESS_START_MS + 400);
}

TEST_F(Headless, CloseRequestQueuesType13AndSetsTheTypedKeyFlag) {
    at(0, HEADLESS_CLOSE);
    sleep_ms(10, SLEEP_PLAIN);
    InputEvent event{};
    ASSERT_EQ(poll_event(event), -1);
    EXPECT_EQ(event.type, EVENT_CLOSE_REQUESTED);
    const int64_t before = headless_now_ms();
    wait_key(WAIT_FOREVER);
    EXPECT_EQ(headless_now_ms(), before);  // the flag was set: no wait at all
    EXPECT_TRUE(headless_stats().screen_open);
}

TEST_F(Headless, WaitKeyReturnsAtOnceWhenTheFlagIsSetAndClearsIt) {
    at(0, HEADLESS_PRESS, KEY_ESC, 27);
    at(500, HEADLESS_PRESS, KEY_UP);
    sleep_ms(10, SLEEP_PLAIN);
    const int64_t before = headless_now_ms();
    wait_key(WAIT_FOREVER);
    EXPECT_EQ(headless_now_ms(), before);
    // The flag is clear now: the next wait lasts until the Up press at 500 ms,
    // tested every 50 ms.
    wait_key(WAIT_FOREVER);
    EXPECT_EQ(headless_now_ms(), HEADLESS_START_MS + 510);
}

TEST_F(Headless, FocusChangesClearTheKeyStatesAndStopSampling) {
    at(0, HEADLESS_PRESS, KEY_UP);
    at(20, HEADLESS_FOCUS_LOST);
    at(30, HEADLESS_PRESS, KEY_LEFT);
    at(40, HEADLESS_FOCUS_GAINED);
    sleep_ms(10, SLEEP_PLAIN);
    EXPECT_EQ(key_down(KEY_UP), -1);
    sleep_ms(10, SLEEP_PLAIN);
    EXPECT_EQ(key_down(KEY_UP), 0);
    sleep_ms(10, SLEEP_PLAIN);
    EXPECT_EQ(key_down(KEY_LEFT), 0);  // no sample without the focus
    sleep_ms(10, SLEEP_PLAIN);
    EXPECT_EQ(key_down(KEY_LEFT), 0);  // gaining the focus clears it too
    EXPECT_EQ(key_down(KEY_UP), 0);
}

TEST_F(Headless, StallMovesTheClockOnWhileSamplingGoesOn) {
    at(0, HEADLESS_STALL, 0, 0, 1000);
    at(500, HEADLESS_PRESS, KEY_DOWN);
    sleep_ms(1, SLEEP_PLAIN);  // the first sample, which takes the stall, is at 10 ms
    EXPECT_EQ(headless_now_ms(), HEADLESS_START_MS + 1);
    sleep_ms(9, SLEEP_PLAIN);
    EXPECT_EQ(headless_now_ms(), HEADLESS_START_MS + 1010);
    EXPECT_EQ(key_down(KEY_DOWN), -1);  // sampled during the stall
}

TEST_F(Headless, LocksNestAndOnlyTheOutermostReleaseShows) {
    screen_lock();
    screen_lock();
    EXPECT_EQ(headless_stats().lock_depth, 2);
    screen_unlock(-1, -1);
    EXPECT_EQ(headless_stats().outer_unlocks, 0);
    sleep_ms(10, SLEEP_PLAIN);
    EXPECT_EQ(headless_stats().shown, 0);  // still locked: nothing shown
    screen_unlock(3, 7);
    EXPECT_EQ(headless_stats().outer_unlocks, 1);
    EXPECT_EQ(headless_stats().dirty_first, 0);
    EXPECT_EQ(headless_stats().dirty_last, SCREEN_H - 1);
    sleep_ms(10, SLEEP_PLAIN);
    EXPECT_EQ(headless_stats().shown, 1);
    EXPECT_EQ(headless_stats().dirty_first, -1);
}

TEST_F(Headless, ScreenOpensWithAZeroFramebuffer) {
    uint8_t* fb = screen_framebuffer();
    screen_lock();
    fb[0] = 9;
    fb[SCREEN_BYTES - 1] = 9;
    screen_unlock(-1, -1);
    screen_open(SCREEN_W, SCREEN_H, 8, 0, 0, 0);
    EXPECT_EQ(fb, screen_framebuffer());
    EXPECT_EQ(fb[0], 0);
    EXPECT_EQ(fb[SCREEN_BYTES - 1], 0);
}

}  // namespace
