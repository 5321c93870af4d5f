#pragma once
// Results of consecutive items made on threads of their own, a few items
// ahead of the one the owner takes next: the pictures of a clip's next frames
// while the frames before them are composed and written. Each item is made
// in two steps: `read` runs for one item at a time, in the items' order (a
// movie decodes forward), `finish` may run for several items at once (the
// scaling of decoded frames). The owner takes the items in order; asking for
// another item, or for one made another way (another key), ends the run, and
// the owner makes the item itself. A step that throws ends the run at that
// item just as quietly.
//
//   RunAhead<DibPicture> ahead(4, 2);  // the read step hands a DibPicture too
//   ahead.Start(first, end, key, [&](std::int32_t frame) { return Decode(frame); },
//               [&](DibPicture decoded) { return Scale(std::move(decoded)); });
//   std::optional<DibPicture> made = ahead.Take(first, key);  // waits while it is made

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace sprocket {

// Whether the calling thread makes work ahead for a RunAhead: such work
// has other items in flight beside it, so it need not split itself further.
bool OnRunAheadThread();

namespace run_ahead_detail {
// Marks the calling thread as one of a RunAhead's (for OnRunAheadThread).
void MarkRunAheadThread();
}  // namespace run_ahead_detail

// `Read` gives what the read step hands to the finishing step.
template <typename Result, typename Read = Result>
class RunAhead {
public:
  // What the items of a run depend on besides their number.
  using Key = std::vector<std::int32_t>;
  using ReadStep = std::function<Read(std::int32_t item)>;
  using FinishStep = std::function<Result(Read)>;

  // At most `depth` items (at least 1) are in hand or made and not yet
  // taken; `threads` (at least 1) finish items at once.
  RunAhead(std::size_t depth, unsigned threads)
      : depth_(std::max<std::size_t>(depth, 1)), threadCount_(std::max(threads, 1u)) {}
  ~RunAhead() {
    {
      std::unique_lock lock(mutex_);
      StopLocked(lock);
      stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) thread.join();
  }
  RunAhead(const RunAhead&) = delete;
  RunAhead& operator=(const RunAhead&) = delete;

  // Whether the run under way hands out item `next`, made by `key`, next.
  bool Continues(std::int32_t next, const Key& key) const {
    std::lock_guard lock(mutex_);
    return running_ && takeNext_ == next && key_ == key;
  }

  // Ends any run, then makes items first .. end - 1. False, with nothing
  // started, when no thread can be had.
  bool Start(std::int32_t first, std::int32_t end, Key key, ReadStep read, FinishStep finish) {
    std::unique_lock lock(mutex_);
    StopLocked(lock);
    try {
      while (threads_.size() < threadCount_) threads_.emplace_back([this] { Loop(); });
    } catch (const std::system_error&) {
      if (threads_.empty()) return false;
    }
    key_ = std::move(key);
    read_ = std::move(read);
    finish_ = std::move(finish);
    next_ = first;
    readTurn_ = first;
    takeNext_ = first;
    end_ = end;
    running_ = true;
    changed_.notify_all();
    return true;
  }

  // Item `item` when it is the run's next and the run makes it by `key`
  // (waits while it is made); otherwise the run ends and nothing is answered.
  std::optional<Result> Take(std::int32_t item, const Key& key) {
    std::unique_lock lock(mutex_);
    if (!running_ || item != takeNext_ || key != key_) {
      StopLocked(lock);
      return std::nullopt;
    }
    changed_.wait(lock, [this, item] { return item >= end_ || (!slots_.empty() && slots_.front()); });
    if (slots_.empty() || !slots_.front()) {  // the run ended before the item
      StopLocked(lock);
      return std::nullopt;
    }
    std::optional<Result> result = std::move(slots_.front());
    slots_.pop_front();
    ++takeNext_;
    changed_.notify_all();
    return result;
  }

  // Ends the run: what was made is dropped once the items in hand are done.
  void Stop() {
    std::unique_lock lock(mutex_);
    StopLocked(lock);
  }

private:
  void StopLocked(std::unique_lock<std::mutex>& lock) {
    running_ = false;
    changed_.notify_all();
    changed_.wait(lock, [this] { return busy_ == 0; });
    slots_.clear();
    read_ = nullptr;
    finish_ = nullptr;
  }

  // The item's slot (the owner takes the front one), or null once it is not wanted.
  std::optional<Result>* Slot(std::int32_t item) {
    if (!running_ || item >= end_ || item < takeNext_) return nullptr;
    return &slots_[static_cast<std::size_t>(item - takeNext_)];
  }

  // Ends the run at `item` (a step failed): the items from it on never come.
  void EndAt(std::int32_t item) { end_ = std::min(end_, item); }

  void MakeItem(std::unique_lock<std::mutex>& lock, std::int32_t item) {
    changed_.wait(lock, [this, item] { return readTurn_ == item || !running_; });
    if (!running_) return;
    std::optional<Read> read;
    if (item < end_) {
      lock.unlock();
      try {
        read.emplace(read_(item));
      } catch (...) {
        // A head start only: the owner makes the item itself and reports.
      }
      lock.lock();
      if (!read) EndAt(item);
    }
    ++readTurn_;
    changed_.notify_all();
    if (!read || Slot(item) == nullptr) return;
    lock.unlock();
    std::optional<Result> finished;
    try {
      finished.emplace(finish_(std::move(*read)));
    } catch (...) {
    }
    lock.lock();
    if (!finished) {
      EndAt(item);
    } else if (std::optional<Result>* slot = Slot(item)) {
      *slot = std::move(finished);
    }
  }

  void Loop() {
    run_ahead_detail::MarkRunAheadThread();
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] {
        return stopping_ || (running_ && next_ < end_ && static_cast<std::size_t>(next_ - takeNext_) < depth_);
      });
      if (stopping_) return;
      const std::int32_t item = next_++;
      slots_.emplace_back();
      ++busy_;
      MakeItem(lock, item);
      --busy_;
      changed_.notify_all();
    }
  }

  const std::size_t depth_;
  const unsigned threadCount_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::optional<Result>> slots_;  // items takeNext_, takeNext_ + 1, ... (empty until made)
  Key key_;
  ReadStep read_;
  FinishStep finish_;
  std::int32_t next_ = 0;      // the next item to start
  std::int32_t readTurn_ = 0;  // the item whose read step may run
  std::int32_t takeNext_ = 0;  // the next item to hand out
  std::int32_t end_ = 0;
  bool running_ = false;
  int busy_ = 0;  // items in hand
  bool stopping_ = false;
  std::vector<std::thread> threads_;  // last: started once everything they read exists
};

}  // namespace sprocket
