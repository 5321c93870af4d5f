#include "platform/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <system_error>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__linux__)
#include <sched.h>
#endif

#include "platform/run_ahead.h"

namespace sprocket {

WorkerPool::WorkerPool(unsigned workers) {
  threads_.reserve(workers);
  for (unsigned i = 0; i < workers; ++i) {
    try {
      threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      break;  // fewer workers; the callers do the rest
    }
  }
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  work_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

std::int32_t WorkerPool::Take(Batch& batch) {
  const std::int32_t item = batch.next++;
  if (batch.next == batch.count) std::erase(batches_, &batch);
  return item;
}

void WorkerPool::RunItem(Batch& batch, std::int32_t item, std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  std::exception_ptr failure;
  try {
    (*batch.body)(item);
  } catch (...) {
    failure = std::current_exception();
  }
  lock.lock();
  if (failure && !batch.failure) batch.failure = failure;
  if (++batch.finished == batch.count) done_.notify_all();
}

void WorkerPool::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    work_.wait(lock, [this] { return stopping_ || !batches_.empty(); });
    if (batches_.empty()) return;
    Batch& batch = *batches_.front();
    RunItem(batch, Take(batch), lock);
  }
}

void WorkerPool::Run(std::int32_t count, const std::function<void(std::int32_t)>& body) {
  if (count <= 0) return;
  if (count == 1 || threads_.empty()) {
    for (std::int32_t i = 0; i < count; ++i) body(i);
    return;
  }
  Batch batch;
  batch.body = &body;
  batch.count = count;
  std::unique_lock lock(mutex_);
  batches_.push_back(&batch);
  if (count - 1 >= static_cast<std::int32_t>(threads_.size())) {
    work_.notify_all();
  } else {
    for (std::int32_t i = 1; i < count; ++i) work_.notify_one();
  }
  while (batch.next < batch.count) RunItem(batch, Take(batch), lock);
  done_.wait(lock, [&batch] { return batch.finished == batch.count; });
  if (batch.failure) std::rethrow_exception(batch.failure);
}

AheadWorker::~AheadWorker() {
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !busy_ && !work_; });
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool AheadWorker::Start(std::function<void()> work) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !busy_ && !work_; });
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread([this] { Loop(); });
    } catch (const std::system_error&) {
      return false;
    }
  }
  work_ = std::move(work);
  changed_.notify_all();
  return true;
}

void AheadWorker::Wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !busy_ && !work_; });
}

void AheadWorker::Loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || work_; });
    if (!work_) return;
    std::function<void()> work = std::move(work_);
    work_ = nullptr;
    busy_ = true;
    lock.unlock();
    try {
      work();
    } catch (...) {
      // Work ahead is only ever a head start: its owner finds no result and
      // does the work itself, where a failure is reported.
    }
    lock.lock();
    busy_ = false;
    changed_.notify_all();
  }
}

namespace {

std::atomic<bool> parallelFrameWork{true};

// The processors this process may run on: those of its affinity mask (a job
// started under taskset or in a container limited to two gets two), else the
// machine's.
unsigned Processors() {
#if defined(__linux__)
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
    return std::clamp(static_cast<unsigned>(CPU_COUNT(&allowed)), 1u, 16u);
  }
#endif
  return std::clamp(std::thread::hardware_concurrency(), 1u, 16u);
}

}  // namespace

WorkerPool& SharedWorkerPool() {
  static WorkerPool pool(Processors() - 1);
  return pool;
}

namespace {
thread_local bool runAheadThread = false;
}  // namespace

bool OnRunAheadThread() { return runAheadThread; }

void run_ahead_detail::MarkRunAheadThread() { runAheadThread = true; }

void SetParallelFrameWork(bool on) { parallelFrameWork = on; }

bool ParallelFrameWork() { return parallelFrameWork; }

unsigned FrameWorkThreads() { return ParallelFrameWork() ? Processors() : 1u; }

void ShareAllocationArenas() {
#if defined(__GLIBC__)
  // Four arenas: as fast as one per thread for a movie job, and about 10 %
  // less peak memory; one arena alone makes the threads wait on each other.
  mallopt(M_ARENA_MAX, 4);
#endif
}

}  // namespace sprocket
