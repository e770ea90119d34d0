// The reader's waiting queue against std::deque, through growth and wrap-around.

#include "wm/ring_queue.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <random>

namespace {

TEST(RingQueue, KeepsOrderLikeADequeAndLetsGoOfPoppedItems) {
    wm::RingQueue<std::shared_ptr<int>> ring;
    std::deque<int> expected;
    std::mt19937 random(29);
    int next = 0;
    for (int step = 0; step < 20000; ++step) {
        // Long runs of pushes and of pops, so that the queue grows while wrapped.
        const bool growing = (step / 300) % 3 != 2;
        const bool push = expected.empty() || (growing ? random() % 3 != 0 : random() % 3 == 0);
        if (push) {
            ring.push_back(std::make_shared<int>(next));
            expected.push_back(next++);
        } else {
            std::weak_ptr<int> popped = ring.front();
            ASSERT_EQ(*ring.front(), expected.front()) << "step " << step;
            ring.pop_front();
            expected.pop_front();
            EXPECT_TRUE(popped.expired()) << "a popped item is still held, step " << step;
        }
        ASSERT_EQ(ring.size(), expected.size());
        ASSERT_EQ(ring.empty(), expected.empty());
        if (!expected.empty()) {  // indexes count from the front, across the wrap
            const size_t i = random() % expected.size();
            ASSERT_EQ(*ring[i], expected[i]) << "step " << step;
            ASSERT_EQ(*ring.back(), expected.back());
        }
    }
    while (!expected.empty()) {
        ASSERT_EQ(*ring.front(), expected.front());
        ring.pop_front();
        expected.pop_front();
    }
    EXPECT_TRUE(ring.empty());
}

}  // namespace
