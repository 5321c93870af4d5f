#include "platform/run_ahead.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

namespace sprocket {
namespace {

using Key = RunAhead<int>::Key;

// Waits (at most a few seconds) until `made` reaches `count`.
bool WaitForCount(const std::atomic<int>& made, int count) {
  for (int tries = 0; tries < 5000 && made.load() < count; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return made.load() >= count;
}

TEST(RunAhead, HandsOutItemsInOrderAndMakesNoMoreThanItsDepthAhead) {
  std::atomic<int> made{0};
  RunAhead<int> ahead(3);
  ASSERT_TRUE(ahead.Start(10, 100, Key{7}, [&](std::int32_t item) {
    made++;
    return item * 2;
  }));
  ASSERT_TRUE(WaitForCount(made, 3));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(made.load(), 3);  // items 10, 11, 12 wait to be taken
  for (std::int32_t item = 10; item < 20; ++item) {
    EXPECT_TRUE(ahead.Continues(item, Key{7}));
    EXPECT_EQ(ahead.Take(item, Key{7}), item * 2);
  }
  ASSERT_TRUE(WaitForCount(made, 13));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(made.load(), 13);
}

TEST(RunAhead, AnotherItemOrKeyEndsTheRun) {
  std::atomic<int> made{0};
  RunAhead<int> ahead(2);
  auto make = [&](std::int32_t item) {
    made++;
    return item;
  };
  ASSERT_TRUE(ahead.Start(0, 50, Key{1, 2}, make));
  EXPECT_FALSE(ahead.Continues(0, Key{1, 3}));
  EXPECT_EQ(ahead.Take(0, Key{1, 2}), 0);
  EXPECT_EQ(ahead.Take(2, Key{1, 2}), std::nullopt);  // item 1 skipped
  EXPECT_FALSE(ahead.Continues(1, Key{1, 2}));
  EXPECT_EQ(ahead.Take(1, Key{1, 2}), std::nullopt);  // the run is over

  ASSERT_TRUE(ahead.Start(5, 50, Key{1, 2}, make));
  EXPECT_EQ(ahead.Take(5, Key{9}), std::nullopt);  // made another way
  EXPECT_EQ(ahead.Take(6, Key{1, 2}), std::nullopt);

  // Restarted where the owner reads on; the old items are gone.
  ASSERT_TRUE(ahead.Start(20, 50, Key{1, 2}, make));
  EXPECT_EQ(ahead.Take(20, Key{1, 2}), 20);
  EXPECT_EQ(ahead.Take(21, Key{1, 2}), 21);
}

TEST(RunAhead, TheRunEndsAtItsEndAndAtAMakeThatThrows) {
  RunAhead<int> ahead(4);
  ASSERT_TRUE(ahead.Start(0, 2, Key{}, [](std::int32_t item) { return item + 1; }));
  EXPECT_EQ(ahead.Take(0, Key{}), 1);
  EXPECT_EQ(ahead.Take(1, Key{}), 2);
  EXPECT_EQ(ahead.Take(2, Key{}), std::nullopt);  // past the end: no wait

  ASSERT_TRUE(ahead.Start(0, 10, Key{}, [](std::int32_t item) {
    if (item == 2) throw std::runtime_error("no memory");
    return item;
  }));
  EXPECT_EQ(ahead.Take(0, Key{}), 0);
  EXPECT_EQ(ahead.Take(1, Key{}), 1);
  EXPECT_EQ(ahead.Take(2, Key{}), std::nullopt);
  EXPECT_FALSE(ahead.Continues(3, Key{}));
}

TEST(RunAhead, StopAndTheEndWaitForTheItemInHand) {
  std::atomic<bool> inside{false};
  std::atomic<int> started{0};
  std::atomic<int> finished{0};
  auto slow = [&](std::int32_t item) {
    started++;
    inside = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    finished++;
    return item;
  };
  {
    RunAhead<int> ahead(2);
    ASSERT_TRUE(ahead.Start(0, 1000, Key{}, slow));
    while (!inside) std::this_thread::yield();
    ahead.Stop();
    const int afterStop = finished.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(finished.load(), afterStop);  // nothing runs once stopped
    EXPECT_FALSE(ahead.Continues(afterStop, Key{}));
    inside = false;
    ASSERT_TRUE(ahead.Start(0, 1000, Key{}, slow));
    while (!inside) std::this_thread::yield();
  }  // ended with an item in hand
  EXPECT_EQ(finished.load(), started.load());
}

}  // namespace
}  // namespace sprocket
