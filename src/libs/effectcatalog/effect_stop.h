#pragma once
// Results of the effect calls and the check for the user's stop request.
//
// The renderers hand the effect libraries a message-pump callback; a library
// calls it now and then during long work, and answers kEffectStopped when
// the callback answered nonzero or the abort flag is set.

#include <cstdint>
#include <functional>

namespace sprocket {

inline constexpr int kEffectDone = 0;
inline constexpr int kEffectBadPicture = -1;  // a picture is missing, not 24-bit, or of another size
inline constexpr int kEffectStopped = -2;     // the user stopped the render

// The message pump: processes waiting events and answers nonzero when the
// user asked to stop.
using RenderPumpCallback = std::function<int()>;

class StopCheck {
public:
  explicit StopCheck(const RenderPumpCallback& pump) : pump_(pump) {}

  // Pumps once and answers whether the render is to stop. Once true, stays true.
  bool Stopped();
  // Counts rows of work and pumps after every `kRowsBetweenPumps` of them.
  bool AfterRows(std::int32_t rows);

  static constexpr std::int32_t kRowsBetweenPumps = 64;

private:
  const RenderPumpCallback& pump_;
  std::int32_t rows_ = 0;
  bool stopped_ = false;
};

}  // namespace sprocket
