#include "platform/worker_pool.h"

#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <sched.h>
#endif

namespace sprocket {
namespace {

// How often each item was called.
std::vector<int> CallCounts(WorkerPool& pool, std::int32_t count) {
  std::vector<std::atomic<int>> calls(static_cast<std::size_t>(std::max(count, 0)));
  pool.Run(count, [&](std::int32_t i) { calls.at(static_cast<std::size_t>(i))++; });
  std::vector<int> counts;
  for (const auto& c : calls) counts.push_back(c.load());
  return counts;
}

TEST(WorkerPool, RunsEveryItemOnceWhateverTheWorkersAndItems) {
  for (unsigned workers : {0u, 1u, 3u}) {
    WorkerPool pool(workers);
    EXPECT_EQ(pool.Workers(), workers);
    for (std::int32_t count : {0, 1, 2, 7, 100}) {
      EXPECT_EQ(CallCounts(pool, count), std::vector<int>(static_cast<std::size_t>(count), 1))
          << workers << " workers, " << count << " items";
    }
  }
}

TEST(WorkerPool, NestedAndConcurrentRunsFinish) {
  WorkerPool pool(2);
  std::atomic<int> inner{0};
  pool.Run(4, [&](std::int32_t) { pool.Run(5, [&](std::int32_t) { inner++; }); });
  EXPECT_EQ(inner.load(), 20);

  std::atomic<int> total{0};
  std::vector<std::thread> callers;
  for (int t = 0; t < 4; ++t) {
    callers.emplace_back([&] {
      for (int round = 0; round < 50; ++round) pool.Run(3, [&](std::int32_t) { total++; });
    });
  }
  for (std::thread& caller : callers) caller.join();
  EXPECT_EQ(total.load(), 4 * 50 * 3);
}

TEST(WorkerPool, AFailingItemIsReportedAfterTheOthersFinish) {
  WorkerPool pool(3);
  std::atomic<int> finished{0};
  EXPECT_THROW(pool.Run(16,
                        [&](std::int32_t i) {
                          if (i == 5) throw std::runtime_error("item 5");
                          finished++;
                        }),
               std::runtime_error);
  EXPECT_EQ(finished.load(), 15);
  EXPECT_EQ(CallCounts(pool, 3), std::vector<int>(3, 1));  // still usable
}

TEST(AheadWorker, TasksRunOneAfterTheOtherAndAreCollectedByWait) {
  std::vector<int> done;
  {
    AheadWorker worker;
    worker.Wait();  // nothing in hand
    for (int task = 0; task < 5; ++task) {
      ASSERT_TRUE(worker.Start([&done, task] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        done.push_back(task);
      }));
    }
    worker.Wait();
    EXPECT_EQ(done, (std::vector<int>{0, 1, 2, 3, 4}));
    ASSERT_TRUE(worker.Start([&done] { done.push_back(5); }));
  }  // the task in hand finishes before the worker ends
  EXPECT_EQ(done.size(), 6u);

  AheadWorker worker;
  ASSERT_TRUE(worker.Start([] { throw std::runtime_error("no memory"); }));
  worker.Wait();  // the failed task ends quietly; the worker goes on
  ASSERT_TRUE(worker.Start([&done] { done.push_back(6); }));
  worker.Wait();
  EXPECT_EQ(done.back(), 6);
}

#if defined(__linux__)
// Frame work is sized to the processors the process may run on (as under
// taskset), not to the machine's.
TEST(FrameWorkThreads, FollowTheProcessorsTheThreadMayRunOn) {
  cpu_set_t saved;
  ASSERT_EQ(sched_getaffinity(0, sizeof saved, &saved), 0);
  int first = 0;
  while (!CPU_ISSET(first, &saved)) ++first;
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(first, &one);
  ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
  const unsigned onOne = FrameWorkThreads();
  ASSERT_EQ(sched_setaffinity(0, sizeof saved, &saved), 0);
  EXPECT_EQ(onOne, 1u);
  EXPECT_EQ(FrameWorkThreads(), std::min(16u, static_cast<unsigned>(CPU_COUNT(&saved))));
}
#endif

}  // namespace
}  // namespace sprocket
