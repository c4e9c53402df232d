// The fixed-rate frame loop on the headless clock, where time is exact: when
// a frame runs, how frames that fell behind are caught up, and how Esc ends
// the loop and the program.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "game_test_support.h"
#include "platform/input.h"

namespace {

using FrameLoop = GameTest;

TEST_F(FrameLoop, FirstFrameRunsOnlyOnceTheClockHasPassedTheStartUpReading) {
    start(walled_level());
    EXPECT_EQ(game->next_frame_time, clock_seconds());
    EXPECT_FALSE(frame_loop_iteration(*game));  // the reading equals the plan
    EXPECT_EQ(frames_run(), 0);
    EXPECT_EQ(now_ms(), 1);
    EXPECT_FALSE(frame_loop_iteration(*game));
    EXPECT_EQ(frames_run(), 1);
    EXPECT_EQ(now_ms(), 2);  // the frame's own 1 ms sleep
    EXPECT_EQ(game->next_frame_time, 1000.0 + FRAME_PERIOD);
}

TEST_F(FrameLoop, AReadingEqualToThePlanRunsNoFrame) {
    struct Case {
        const char* name;
        double toward;  // the plan is the reading moved one step this way, or the reading itself
        bool runs;
    };
    constexpr double inf = std::numeric_limits<double>::infinity();
    const std::vector<Case> cases{
        {"plan equal to the reading", 0.0, false},
        {"plan just below the reading", -inf, true},
        {"plan just above the reading", inf, false},
    };
    for (const Case& c : cases) {
        start(walled_level());
        sleep_ms(250, SLEEP_PLAIN);
        const double reading = clock_seconds();
        const double plan = c.toward == 0.0 ? reading : std::nextafter(reading, c.toward);
        game->next_frame_time = plan;
        const int64_t sleeps = headless_stats().sleeps;
        EXPECT_FALSE(frame_loop_iteration(*game)) << c.name;
        EXPECT_EQ(frames_run(), c.runs ? 1 : 0) << c.name;
        EXPECT_EQ(game->next_frame_time, c.runs ? plan + FRAME_PERIOD : plan) << c.name;
        EXPECT_EQ(headless_stats().sleeps, sleeps + 1) << c.name;  // a frame's or the idle one
    }
}

TEST_F(FrameLoop, SixHundredFramesInSixtySeconds) {
    start(walled_level());
    std::vector<int64_t> ran_at;
    while (now_ms() < 60'000) {
        const int64_t t = now_ms();
        const int64_t before = frames_run();
        ASSERT_FALSE(frame_loop_iteration(*game));
        if (frames_run() != before) {
            ran_at.push_back(t);
        }
    }
    ASSERT_EQ(ran_at.size(), 600U);
    EXPECT_EQ(ran_at[0], 1);
    for (size_t k = 1; k < ran_at.size(); ++k) {
        // Frame k is due 100 k ms after the start; whether a reading that
        // lands on the plan counts as past it depends on the last bit.
        const int64_t due = 100 * static_cast<int64_t>(k);
        EXPECT_GE(ran_at[k], due) << "frame " << k;
        EXPECT_LE(ran_at[k], due + 1) << "frame " << k;
    }
}

TEST_F(FrameLoop, AfterAOneSecondStallTheMissedFramesRunBackToBack) {
    start(walled_level());
    // Taken at the sample at 4990 ms during an idle sleep: the clock next
    // reads 5990 ms, when the frames due at 5000 to 5900 ms are all late.
    at(4985, HEADLESS_STALL, 0, 1000);
    struct Ran {
        int64_t at;
        int64_t sleeps;  // sleeps so far, after the frame
    };
    std::vector<Ran> ran;
    while (now_ms() < 8'000) {
        const int64_t t = now_ms();
        const int64_t before = frames_run();
        ASSERT_FALSE(frame_loop_iteration(*game));
        if (frames_run() != before) {
            ran.push_back({t, headless_stats().sleeps});
        }
    }
    // No frame is skipped: as many frames as without the stall.
    ASSERT_EQ(ran.size(), 80U);
    EXPECT_LE(ran[49].at, 4901);
    for (size_t k = 50; k < 60; ++k) {
        // Back to back, each followed by its 1 ms sleep and nothing else.
        EXPECT_EQ(ran[k].at, 5990 + static_cast<int64_t>(k - 50)) << "frame " << k;
        if (k > 50) {
            EXPECT_EQ(ran[k].sleeps, ran[k - 1].sleeps + 1) << "frame " << k;
        }
    }
    for (size_t k = 60; k < ran.size(); ++k) {
        const int64_t due = 100 * static_cast<int64_t>(k);
        EXPECT_GE(ran[k].at, due) << "frame " << k;
        EXPECT_LE(ran[k].at, due + 1) << "frame " << k;
    }
}

TEST_F(FrameLoop, EscHeldDuringAFrameEndsTheLoopOnceTheFrameIsComplete) {
    start(walled_level());
    // A 19 ms stall taken at 90 ms moves frame 1 to 109 ms, so that the
    // sample at 110 ms, in the frame's own sleep, is the first to see Esc.
    at(85, HEADLESS_STALL, 0, 19);
    at(105, HEADLESS_PRESS, KEY_ESC);
    while (now_ms() < 109) {
        ASSERT_FALSE(frame_loop_iteration(*game)) << "at " << now_ms();
    }
    ASSERT_EQ(now_ms(), 109);
    ASSERT_EQ(frames_run(), 1);
    const double plan = game->next_frame_time;
    EXPECT_TRUE(frame_loop_iteration(*game));
    EXPECT_EQ(frames_run(), 2);
    EXPECT_EQ(now_ms(), 110);
    EXPECT_EQ(game->next_frame_time, plan + FRAME_PERIOD);
    EXPECT_EQ(headless_stats().lock_depth, 0);
}

TEST_F(FrameLoop, EscHeldWhileIdlingEndsTheLoopAfterThatIterationsSleep) {
    start(walled_level());
    at(50, HEADLESS_PRESS, KEY_ESC);
    while (now_ms() < 49) {
        ASSERT_FALSE(frame_loop_iteration(*game)) << "at " << now_ms();
    }
    const double plan = game->next_frame_time;
    EXPECT_TRUE(frame_loop_iteration(*game));
    EXPECT_EQ(now_ms(), 50);
    EXPECT_EQ(frames_run(), 1);
    EXPECT_EQ(game->next_frame_time, plan);
}

TEST_F(FrameLoop, OnlyEscSeenHeldAtATestEndsTheLoop) {
    start(walled_level());
    // Pressed and released between two samples: never seen held.
    at(51, HEADLESS_PRESS, KEY_ESC);
    at(55, HEADLESS_RELEASE, KEY_ESC);
    // The close button ends nothing; its event is taken and dropped.
    at(120, HEADLESS_CLOSE);
    while (now_ms() < 500) {
        ASSERT_FALSE(frame_loop_iteration(*game)) << "at " << now_ms();
    }
    EXPECT_EQ(frames_run(), 5);
    EXPECT_EQ(game->projectile.life, 0);
    InputEvent event{};
    EXPECT_EQ(poll_event(event), 0);  // all three events were taken
}

TEST_F(FrameLoop, EscNeedsNoFurtherKeyToEndTheProgram) {
    start(walled_level());
    at(250, HEADLESS_PRESS, KEY_ESC);
    run_frame_loop(*game);
    EXPECT_EQ(now_ms(), 250);
    // The Esc press was a typed key: the wait after the loop ends at once.
    wait_key(WAIT_FOREVER);
    EXPECT_EQ(now_ms(), 250);
}

TEST_F(FrameLoop, TheEntryProcedureEndsWithExitCodeZeroAfterEsc) {
    start(walled_level());
    EXPECT_EXIT(
        {
            headless_reset();
            at(350, HEADLESS_PRESS, KEY_ESC);
            game_main();
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
