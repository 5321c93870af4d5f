#pragma once
// A fixed set of worker threads for data-parallel work inside one call:
// Run(count, body) calls body(0) .. body(count - 1) on the workers and the
// calling thread, and returns when every call has returned. The threads are
// started once and wait between calls, so per-picture work pays no thread
// start-up. Several threads may call Run at once (their items share the
// workers), and a body may itself call Run: a caller always works on its own
// items, so the items finish even when every worker is busy.
//
//   WorkerPool& pool = SharedWorkerPool();
//   pool.Run(bands, [&](std::int32_t band) { FilterBand(band); });

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace sprocket {

class WorkerPool {
public:
  // A pool of `workers` threads (0: every item runs on the calling thread).
  explicit WorkerPool(unsigned workers);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  unsigned Workers() const { return static_cast<unsigned>(threads_.size()); }

  // Calls body(i) for every i in 0 .. count - 1, each once, in any order and
  // on any of the pool's threads or the caller's. The first exception a
  // body throws is thrown here once every item has finished.
  void Run(std::int32_t count, const std::function<void(std::int32_t)>& body);

private:
  struct Batch {
    const std::function<void(std::int32_t)>* body = nullptr;
    std::int32_t count = 0;
    std::int32_t next = 0;      // the next item to hand out
    std::int32_t finished = 0;  // items whose body has returned
    std::exception_ptr failure;
  };

  void Work();
  // Takes the next item of `batch` (the lock held); drops the batch from the
  // queue once its last item is handed out.
  std::int32_t Take(Batch& batch);
  // Runs one item without the lock and counts it finished.
  void RunItem(Batch& batch, std::int32_t item, std::unique_lock<std::mutex>& lock);

  std::mutex mutex_;
  std::condition_variable work_;
  std::condition_variable done_;
  std::deque<Batch*> batches_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

// One task at a time on a thread of its own, started with the
// first task and ended with the object: work done ahead of the owner's
// need (the next frame of a movie), which the owner collects with Wait()
// before it touches anything the work uses. An exception ends the task
// quietly: the owner, finding no result, does the work itself.
class AheadWorker {
public:
  AheadWorker() = default;
  ~AheadWorker();
  AheadWorker(const AheadWorker&) = delete;
  AheadWorker& operator=(const AheadWorker&) = delete;

  // Waits for the task in hand, then starts `work`. False, with nothing
  // started, when no thread can be had.
  bool Start(std::function<void()> work);
  // Returns once no task is in hand.
  void Wait();

private:
  void Loop();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> work_;  // the task to start; empty: none waiting
  bool busy_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

// The process's pool for row bands and frames: one worker per processor
// beyond the first (at most 15), started on first use.
WorkerPool& SharedWorkerPool();

// Frame work on several threads (the default) or on one. With it off,
// compressors run on the calling thread, nothing is decoded ahead and the
// rescaler works in one band: the one-frame road, which gives the same bytes
// and which tests compare the parallel road with. Process-wide; set it
// between jobs.
void SetParallelFrameWork(bool on);
bool ParallelFrameWork();
// The threads a codec may use for frame work: the processors (at most 16),
// or 1 on the one-frame road.
unsigned FrameWorkThreads();

// Picture blocks are allocated on one thread and freed on another many times
// a frame; with the C library's default of one allocation arena per thread
// the freed blocks sit in arenas that other threads do not reuse, and peak
// memory grows by tens of megabytes. Call once at the start of a program,
// before its threads start: the process then shares a few arenas.
void ShareAllocationArenas();

}  // namespace sprocket
