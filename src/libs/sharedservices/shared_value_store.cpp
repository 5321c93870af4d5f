#include "libs/sharedservices/shared_value_store.h"

namespace sprocket {

void SharedValueStore::Set(std::int32_t key, std::int32_t value) {
  std::lock_guard lock(mutex_);
  values_[key] = value;
}

std::int32_t SharedValueStore::Get(std::int32_t key) const {
  std::lock_guard lock(mutex_);
  auto found = values_.find(key);
  return found == values_.end() ? 0 : found->second;
}

bool SharedValueStore::Has(std::int32_t key) const {
  std::lock_guard lock(mutex_);
  return values_.count(key) != 0;
}

void SharedValueStore::Remove(std::int32_t key) {
  std::lock_guard lock(mutex_);
  values_.erase(key);
}

}  // namespace sprocket
