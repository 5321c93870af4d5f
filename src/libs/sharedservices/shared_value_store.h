#pragma once
// A store of 32-bit values by integer key that the libraries share (for
// example key 8: the board's audio is present). The application owns one
// store for the process and hands it to whoever reads or writes it.

#include <cstdint>
#include <map>
#include <mutex>

namespace sprocket {

inline constexpr std::int32_t kSharedKeyBoardAudio = 8;

class SharedValueStore {
public:
  // Ordinal 1: stores the value under the key.
  void Set(std::int32_t key, std::int32_t value);
  // Ordinal 2: the value under the key, 0 when none was stored.
  std::int32_t Get(std::int32_t key) const;
  bool Has(std::int32_t key) const;
  void Remove(std::int32_t key);

private:
  mutable std::mutex mutex_;
  std::map<std::int32_t, std::int32_t> values_;
};

}  // namespace sprocket
