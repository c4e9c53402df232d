// The keyboard and event rules that every backend shares.
#include <gtest/gtest.h>

#include "platform/input_state.h"

namespace {

TEST(EventRing, KeepsOrderAcrossTheWrapAndDropsTheOldestWhenFull) {
    EventRing ring;
    InputEvent event{};
    // Move the head away from slot 0 so that the ring wraps.
    for (int32_t i = 0; i < 100; ++i) {
        ring_post(ring, InputEvent{EVENT_KEY_PRESSED, i, 0, 0, 0});
        ASSERT_TRUE(ring_take(ring, event));
    }
    for (int32_t i = 0; i < EVENT_RING_CAPACITY + 3; ++i) {
        ring_post(ring, InputEvent{EVENT_KEY_PRESSED, i, 0, 0, 0});
    }
    EXPECT_EQ(ring.count, EVENT_RING_CAPACITY);
    for (int32_t i = 3; i < EVENT_RING_CAPACITY + 3; ++i) {
        ASSERT_TRUE(ring_take(ring, event));
        EXPECT_EQ(event.scan_code, i);
    }
    EXPECT_FALSE(ring_take(ring, event));
}

TEST(KeyStates, TypedKeyFlagIsSetByEveryKeyButTheModifiers) {
    struct Case {
        int32_t code;
        bool typed;
    };
    const Case cases[] = {{KEY_ESC, true},     {KEY_UP, true},    {30, true} /* A */,
                          {59, true} /* F1 */, {KEY_CTRL, false}, {KEY_LSHIFT, false},
                          {KEY_RSHIFT, false}, {KEY_ALT, false}};
    for (const Case& c : cases) {
        KeyStates keys;
        EventRing ring;
        keys_press(keys, ring, c.code, 0, false);
        EXPECT_EQ(keys.typed, c.typed) << "scan code " << c.code;
    }
}

TEST(KeyStates, CodesOutsideTheTableAreQueuedWithoutAScanCode) {
    KeyStates keys;
    EventRing ring;
    keys_press(keys, ring, 300, 'x', false);
    keys_release(keys, ring, -4);
    keys_sample(keys);
    InputEvent event{};
    ASSERT_TRUE(ring_take(ring, event));
    EXPECT_EQ(event.type, EVENT_KEY_PRESSED);
    EXPECT_EQ(event.scan_code, 0);
    EXPECT_EQ(event.char_code, 'x');
    ASSERT_TRUE(ring_take(ring, event));
    EXPECT_EQ(event.type, EVENT_KEY_RELEASED);
    EXPECT_EQ(event.scan_code, 0);
    for (const uint8_t state : keys.sampled) {
        EXPECT_EQ(state, 0);
    }
}

TEST(KeyStates, RepeatQueuesType3AndKeepsTheKeyDown) {
    KeyStates keys;
    EventRing ring;
    keys_press(keys, ring, KEY_RIGHT, 0, false);
    keys_press(keys, ring, KEY_RIGHT, 0, true);
    keys_sample(keys);
    EXPECT_EQ(keys.sampled[KEY_RIGHT], 1);
    InputEvent event{};
    ASSERT_TRUE(ring_take(ring, event));
    ASSERT_TRUE(ring_take(ring, event));
    EXPECT_EQ(event.type, EVENT_KEY_REPEATED);
}

}  // namespace
