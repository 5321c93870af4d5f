#pragma once
// Results of consecutive items made in order on a thread of its own, a few
// items ahead of the one the owner takes next: the pictures of a clip's
// next frames while the frames before them are composed and written. The
// owner takes the items in order; asking for another item, or for one made
// another way (another key), ends the run, and the owner makes the item
// itself. A make that throws ends the run at that item just as quietly.
//
//   RunAhead<DibPicture> ahead(4);
//   ahead.Start(first, end, key, [&](std::int32_t frame) { return MakePicture(frame); });
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

template <typename Result>
class RunAhead {
public:
  // What the items of a run depend on besides their number.
  using Key = std::vector<std::int32_t>;
  using Make = std::function<Result(std::int32_t item)>;

  // At most `depth` items (at least 1) are held made and not yet taken.
  explicit RunAhead(std::size_t depth) : depth_(std::max<std::size_t>(depth, 1)) {}
  ~RunAhead() {
    {
      std::unique_lock lock(mutex_);
      StopLocked(lock);
      stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
  }
  RunAhead(const RunAhead&) = delete;
  RunAhead& operator=(const RunAhead&) = delete;

  // Whether the run under way hands out item `next`, made by `key`, next.
  bool Continues(std::int32_t next, const Key& key) const {
    std::lock_guard lock(mutex_);
    return running_ && takeNext_ == next && key_ == key;
  }

  // Ends any run, then makes items first .. end - 1 one after the other.
  // False, with nothing started, when no thread can be had.
  bool Start(std::int32_t first, std::int32_t end, Key key, Make make) {
    std::unique_lock lock(mutex_);
    StopLocked(lock);
    if (!thread_.joinable()) {
      try {
        thread_ = std::thread([this] { Loop(); });
      } catch (const std::system_error&) {
        return false;
      }
    }
    key_ = std::move(key);
    make_ = std::move(make);
    next_ = first;
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
    changed_.wait(lock, [this] { return !made_.empty() || (!busy_ && next_ >= end_); });
    if (made_.empty()) {  // the run ended before the item
      StopLocked(lock);
      return std::nullopt;
    }
    std::optional<Result> result(std::move(made_.front()));
    made_.pop_front();
    ++takeNext_;
    changed_.notify_all();
    return result;
  }

  // Ends the run: what was made is dropped once the item in hand is done.
  void Stop() {
    std::unique_lock lock(mutex_);
    StopLocked(lock);
  }

private:
  void StopLocked(std::unique_lock<std::mutex>& lock) {
    running_ = false;
    changed_.wait(lock, [this] { return !busy_; });
    made_.clear();
    make_ = nullptr;
  }

  void Loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return stopping_ || (running_ && next_ < end_ && made_.size() < depth_); });
      if (stopping_) return;
      const std::int32_t item = next_++;
      busy_ = true;
      lock.unlock();
      std::optional<Result> result;
      try {
        result.emplace(make_(item));
      } catch (...) {
        // A head start only: the owner makes the item itself and reports.
      }
      lock.lock();
      busy_ = false;
      if (running_) {
        if (result) {
          made_.push_back(std::move(*result));
        } else {
          end_ = item;
        }
      }
      changed_.notify_all();
    }
  }

  const std::size_t depth_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Result> made_;  // items takeNext_, takeNext_ + 1, ...
  Key key_;
  Make make_;
  std::int32_t next_ = 0;      // the next item to make
  std::int32_t takeNext_ = 0;  // the next item to hand out
  std::int32_t end_ = 0;
  bool running_ = false;
  bool busy_ = false;  // an item is being made without the lock
  bool stopping_ = false;
  std::thread thread_;  // last: started once everything it reads exists
};

}  // namespace sprocket
