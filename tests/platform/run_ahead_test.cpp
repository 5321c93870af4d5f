#include "platform/run_ahead.h"

#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace sprocket {
namespace {

using Key = RunAhead<int>::Key;

// Waits (at most a few seconds) until `count` reaches `target`.
bool WaitForCount(const std::atomic<int>& count, int target) {
  for (int tries = 0; tries < 5000 && count.load() < target; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return count.load() >= target;
}

int Same(int value) { return value; }

TEST(RunAhead, HandsOutItemsInOrderAndMakesNoMoreThanItsDepthAhead) {
  for (unsigned threads : {1u, 3u}) {
    std::atomic<int> made{0};
    RunAhead<int> ahead(3, threads);
    ASSERT_TRUE(ahead.Start(
        10, 100, Key{7}, [](std::int32_t item) { return item * 2; },
        [&](int read) {
          made++;
          return read + 1;
        }));
    ASSERT_TRUE(WaitForCount(made, 3));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(made.load(), 3) << threads;  // items 10, 11, 12 wait to be taken
    for (std::int32_t item = 10; item < 20; ++item) {
      EXPECT_TRUE(ahead.Continues(item, Key{7}));
      EXPECT_EQ(ahead.Take(item, Key{7}), item * 2 + 1);
    }
    ASSERT_TRUE(WaitForCount(made, 13));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(made.load(), 13) << threads;
  }
}

// Reads run one at a time in the items' order; finishing steps overlap.
TEST(RunAhead, ReadsInOrderAndFinishesSeveralAtOnce) {
  std::mutex mutex;
  std::vector<std::int32_t> reads;
  std::atomic<int> reading{0};
  std::atomic<int> mostReading{0};
  std::atomic<int> finishing{0};
  std::atomic<int> mostFinishing{0};
  auto note = [](std::atomic<int>& now, std::atomic<int>& most) {
    const int value = ++now;
    int seen = most.load();
    while (value > seen && !most.compare_exchange_weak(seen, value)) {
    }
  };
  RunAhead<int> ahead(4, 3);
  ASSERT_TRUE(ahead.Start(
      0, 40, Key{},
      [&](std::int32_t item) {
        note(reading, mostReading);
        {
          std::lock_guard lock(mutex);
          reads.push_back(item);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        --reading;
        return static_cast<int>(item);
      },
      [&](int read) {
        note(finishing, mostFinishing);
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        --finishing;
        return read * 10;
      }));
  for (std::int32_t item = 0; item < 40; ++item) ASSERT_EQ(ahead.Take(item, Key{}), item * 10);
  EXPECT_EQ(mostReading.load(), 1);
  EXPECT_GE(mostFinishing.load(), 2);
  std::vector<std::int32_t> inOrder(40);
  for (std::int32_t i = 0; i < 40; ++i) inOrder[static_cast<std::size_t>(i)] = i;
  EXPECT_EQ(reads, inOrder);
}

TEST(RunAhead, AnotherItemOrKeyEndsTheRun) {
  RunAhead<int> ahead(2, 2);
  auto read = [](std::int32_t item) { return static_cast<int>(item); };
  ASSERT_TRUE(ahead.Start(0, 50, Key{1, 2}, read, Same));
  EXPECT_FALSE(ahead.Continues(0, Key{1, 3}));
  EXPECT_EQ(ahead.Take(0, Key{1, 2}), 0);
  EXPECT_EQ(ahead.Take(2, Key{1, 2}), std::nullopt);  // item 1 skipped
  EXPECT_FALSE(ahead.Continues(1, Key{1, 2}));
  EXPECT_EQ(ahead.Take(1, Key{1, 2}), std::nullopt);  // the run is over

  ASSERT_TRUE(ahead.Start(5, 50, Key{1, 2}, read, Same));
  EXPECT_EQ(ahead.Take(5, Key{9}), std::nullopt);  // made another way
  EXPECT_EQ(ahead.Take(6, Key{1, 2}), std::nullopt);

  // Restarted where the owner reads on; the old items are gone.
  ASSERT_TRUE(ahead.Start(20, 50, Key{1, 2}, read, Same));
  EXPECT_EQ(ahead.Take(20, Key{1, 2}), 20);
  EXPECT_EQ(ahead.Take(21, Key{1, 2}), 21);
}

TEST(RunAhead, TheRunEndsAtItsEndAndAtAStepThatThrows) {
  for (unsigned threads : {1u, 2u}) {
    RunAhead<int> ahead(4, threads);
    ASSERT_TRUE(ahead.Start(
        0, 2, Key{}, [](std::int32_t item) { return item + 1; }, Same));
    EXPECT_EQ(ahead.Take(0, Key{}), 1);
    EXPECT_EQ(ahead.Take(1, Key{}), 2);
    EXPECT_EQ(ahead.Take(2, Key{}), std::nullopt);  // past the end: no wait

    for (const bool inRead : {true, false}) {
      auto read = [inRead](std::int32_t item) {
        if (inRead && item == 2) throw std::runtime_error("no frame");
        return static_cast<int>(item);
      };
      auto finish = [inRead](int value) {
        if (!inRead && value == 2) throw std::runtime_error("no memory");
        return value;
      };
      ASSERT_TRUE(ahead.Start(0, 10, Key{}, read, finish));
      EXPECT_EQ(ahead.Take(0, Key{}), 0);
      EXPECT_EQ(ahead.Take(1, Key{}), 1);
      EXPECT_EQ(ahead.Take(2, Key{}), std::nullopt) << threads << " " << inRead;
      EXPECT_FALSE(ahead.Continues(3, Key{}));
    }
  }
}

TEST(RunAhead, StopAndTheEndWaitForTheItemsInHand) {
  std::atomic<bool> inside{false};
  std::atomic<int> started{0};
  std::atomic<int> finished{0};
  auto slow = [&](int item) {
    started++;
    inside = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    finished++;
    return item;
  };
  auto read = [](std::int32_t item) { return static_cast<int>(item); };
  {
    RunAhead<int> ahead(3, 2);
    EXPECT_FALSE(OnRunAheadThread());
    ASSERT_TRUE(ahead.Start(0, 1000, Key{}, read, [&](int item) {
      EXPECT_TRUE(OnRunAheadThread());
      return slow(item);
    }));
    while (!inside) std::this_thread::yield();
    ahead.Stop();
    const int afterStop = finished.load();
    EXPECT_EQ(afterStop, started.load());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(finished.load(), afterStop);  // nothing runs once stopped
    EXPECT_FALSE(ahead.Continues(afterStop, Key{}));
    inside = false;
    ASSERT_TRUE(ahead.Start(0, 1000, Key{}, read, slow));
    while (!inside) std::this_thread::yield();
  }  // ended with items in hand
  EXPECT_EQ(finished.load(), started.load());
}

}  // namespace
}  // namespace sprocket
