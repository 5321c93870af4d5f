#include "libs/effectcatalog/effect_stop.h"

#include "platform/message_pump.h"

namespace sprocket {

bool StopCheck::Stopped() {
  if (stopped_) return true;
  if (pump_ && pump_() != 0) stopped_ = true;
  if (IsAbortRequested()) stopped_ = true;
  return stopped_;
}

bool StopCheck::AfterRows(std::int32_t rows) {
  rows_ += rows;
  if (rows_ < kRowsBetweenPumps) return stopped_;
  rows_ = 0;
  return Stopped();
}

}  // namespace sprocket
