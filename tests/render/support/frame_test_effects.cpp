#include "frame_test_effects.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "libs/effectcatalog/effect_picture.h"
#include "render/picture/picture_ops.h"

namespace sprocket::testing {

namespace {

std::int32_t AddAmount(const EffectFilter& filter) {
  return filter.params.empty() ? 40 : filter.params.front().values[0];
}

struct Pixels {
  std::optional<PictureGeometry> geometry;
  explicit Pixels(const std::uint8_t* picture) : geometry(ReadPictureGeometry(picture)) {}
  explicit operator bool() const { return geometry.has_value(); }
  std::uint8_t* At(std::int32_t x, std::int32_t y) const { return geometry->Row(y) + x * 3; }
};

void CopyPicture(const Pixels& from, const Pixels& to) {
  for (std::int32_t y = 0; y < to.geometry->height; ++y) {
    std::memcpy(to.geometry->Row(y), from.geometry->Row(y), static_cast<std::size_t>(to.geometry->width) * 3);
  }
}

void RunOne(const EffectFilter& filter, const Pixels& picture, const Pixels* mask, std::int32_t keyColumn) {
  for (std::int32_t y = 0; y < picture.geometry->height; ++y) {
    for (std::int32_t x = 0; x < picture.geometry->width; ++x) {
      std::uint8_t* p = picture.At(x, y);
      for (int c = 0; c < 3; ++c) {
        if (filter.id == kTestAdd) p[c] = static_cast<std::uint8_t>(std::min(255, p[c] + AddAmount(filter)));
        if (filter.id == kTestHalve) p[c] = static_cast<std::uint8_t>(p[c] / 2);
      }
      if (filter.id == kTestKey) {
        const int weight = x < keyColumn ? 0 : 128;
        if (mask != nullptr) {
          std::memset(mask->At(x, y), weight, 3);
        } else if (weight == 0) {
          std::memset(p, 0, 3);
        }
      }
    }
  }
}

// Runs the list from source into destination; false for unusable pictures.
bool RunFilters(std::int32_t filterId, std::span<const EffectFilter> filters, const std::uint8_t* source,
                std::uint8_t* destination, std::uint8_t* maskBlock, std::int32_t keyColumn) {
  const Pixels from(source);
  const Pixels to(destination);
  if (!from || !to || from.geometry->width != to.geometry->width || from.geometry->height != to.geometry->height) {
    return false;
  }
  const Pixels mask(maskBlock);
  CopyPicture(from, to);
  EffectFilter single;
  single.id = filterId;
  const std::span<const EffectFilter> list = filters.empty() ? std::span<const EffectFilter>(&single, 1) : filters;
  for (const EffectFilter& filter : list) RunOne(filter, to, mask ? &mask : nullptr, keyColumn);
  return true;
}

bool Mix(std::int32_t id, float percent, const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* result) {
  const Pixels out(result);
  const Pixels first(a);
  const Pixels second(b);
  if (!out) return false;
  const std::int32_t width = out.geometry->width;
  const std::int32_t height = out.geometry->height;
  const std::int32_t wipeColumns = static_cast<std::int32_t>(width * percent / 100.0f);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) {
        const int av = first ? first.At(x, y)[c] : 0;
        const int bv = second ? second.At(x, y)[c] : 0;
        int value = av;
        if (id == kTestDissolve) value = TestDissolve(av, bv, percent);
        if (id == kTestWipe) value = x < wipeColumns ? bv : av;
        out.At(x, y)[c] = static_cast<std::uint8_t>(value);
      }
    }
  }
  return true;
}

std::vector<std::int32_t> IdsOf(std::span<const EffectFilter> filters) {
  std::vector<std::int32_t> ids;
  for (const EffectFilter& filter : filters) ids.push_back(filter.id);
  return ids;
}

RecordedCall Record(RecordedCall::Kind kind, std::int32_t id, std::span<const EffectFilter> filters, float percent,
                    float rate, std::int32_t sourceTime, const std::uint8_t* destination) {
  RecordedCall call;
  call.kind = kind;
  call.id = id;
  call.ids = IdsOf(filters);
  call.percent = percent;
  call.rate = rate;
  call.sourceTime = sourceTime;
  if (const std::optional<PictureGeometry> geometry = ReadPictureGeometry(destination)) {
    call.width = geometry->width;
    call.height = geometry->height;
  }
  return call;
}

bool TestTurboTest(const RenderEntry& entry, std::uint32_t /*codec*/) {
  if (entry.trackLetter == 'X') {
    return entry.transitionFilters.size() == 1 && entry.transitionFilters.front().id == kTestDissolve &&
           entry.sideA.filters.empty() && entry.sideB.filters.empty();
  }
  return entry.main.filters.size() == 1 && entry.main.filters.front().id == kTestAdd;
}

}  // namespace

int TestDissolve(int a, int b, float percent) {
  const int p = static_cast<int>(std::lround(percent));
  return (a * (100 - p) + b * p + 50) / 100;
}

bool TestEffects::StopNow() { return stopAtCall != 0 && ++calls_ == stopAtCall; }

int TestEffects::ApplyFilterFrame(std::int32_t, std::int32_t filterId, float effectPercent, const std::uint8_t* source,
                                  std::int32_t, std::uint8_t* destination, std::uint8_t* firstMask,
                                  std::uint8_t* secondMask, std::span<const EffectFilter> filters, float rate,
                                  std::int32_t sourceTime, std::int32_t, const EffectFrameParams* params,
                                  const std::uint8_t* background, const RenderPumpCallback&, std::int32_t,
                                  std::int32_t effectArg) {
  RecordedCall call = Record(RecordedCall::kFilter, filterId, filters, effectPercent, rate, sourceTime, destination);
  call.firstMask = firstMask != nullptr;
  call.secondMask = secondMask != nullptr;
  call.background = background != nullptr;
  call.hasParams = params != nullptr;
  if (params != nullptr) call.params = *params;
  call.effectArg = effectArg;
  calls.push_back(call);
  if (StopNow()) return kEffectStopped;
  std::uint8_t* mask = secondMask != nullptr ? secondMask : firstMask;
  return RunFilters(filterId, filters, source, destination, mask, keyColumn) ? kEffectDone : kEffectBadPicture;
}

int TestEffects::ApplyFilterFrameToFile(std::int32_t, std::int32_t filterId, float effectPercent,
                                        const std::uint8_t* source, std::uint8_t* destination, std::uint8_t* work1,
                                        std::uint8_t* work2, std::int32_t, std::span<const EffectFilter> filters,
                                        float rate, std::int32_t sourceTime, const EffectFileWorkBlock* workBlock,
                                        std::int32_t, const RenderPumpCallback&) {
  const bool hasMask = workBlock != nullptr && workBlock->hasMask != 0;
  RecordedCall call =
      Record(RecordedCall::kFilterToFile, filterId, filters, effectPercent, rate, sourceTime, destination);
  call.firstMask = hasMask && work1 != nullptr;
  call.secondMask = hasMask && work2 != nullptr;
  calls.push_back(call);
  if (StopNow()) return kEffectStopped;
  return RunFilters(filterId, filters, source, destination, hasMask ? work2 : nullptr, keyColumn) ? kEffectDone
                                                                                                  : kEffectBadPicture;
}

int TestEffects::RenderTransitionFrame(std::int32_t, std::int32_t transitionId, float transitionPercent,
                                       const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* result, std::int32_t,
                                       std::int32_t, std::span<const EffectFilter> filters, float effectPercent,
                                       std::int32_t sourceTime, std::int32_t rate, std::int32_t,
                                       const EffectFrameParams* params, const RenderPumpCallback&) {
  RecordedCall call = Record(RecordedCall::kTransition, transitionId, filters, transitionPercent,
                             static_cast<float>(rate), sourceTime, result);
  call.effectPercent = effectPercent;
  call.hasParams = params != nullptr;
  if (params != nullptr) call.params = *params;
  calls.push_back(call);
  if (StopNow()) return kEffectStopped;
  return Mix(transitionId, transitionPercent, a, b, result) ? kEffectDone : kEffectBadPicture;
}

int TestEffects::RenderTransitionFrameToFile(std::int32_t, std::int32_t transitionId, float transitionPercent,
                                             const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* result,
                                             std::uint8_t* mask, std::span<const EffectFilter> filters,
                                             float effectPercent, std::int32_t sourceTime, std::int32_t rate,
                                             const EffectFileWorkBlock*, std::int32_t, const RenderPumpCallback&) {
  RecordedCall call = Record(RecordedCall::kTransitionToFile, transitionId, filters, transitionPercent,
                             static_cast<float>(rate), sourceTime, result);
  call.effectPercent = effectPercent;
  calls.push_back(call);
  if (StopNow()) return kEffectStopped;
  // Each pixel is read before it is written: the result may be B's block.
  const bool mixed = Mix(transitionId, transitionPercent, a, b, result);
  if (const Pixels m(mask); m) {
    std::memset(m.geometry->pixels, 128, static_cast<std::size_t>(m.geometry->stride) * m.geometry->height);
  }
  return mixed ? kEffectDone : kEffectBadPicture;
}

int TestEffects::TurboProcess(TurboSources* sources, const TurboEntry& entry, std::uint8_t* output,
                              const EffectFrameParams*, std::recursive_mutex*) {
  ++turboCalls;
  if (!turbo || sources == nullptr || entry.entryCount != 1 || entry.doubleSize || entry.maskFlag != 0) return 0;
  const Pixels out(output);
  if (!out) return 0;
  if (entry.trackLetter == 'X') {
    if (entry.filters.size() != 1 || entry.filters.front().id != kTestDissolve || entry.sideAFilters ||
        entry.sideBFilters) {
      return 0;
    }
    const std::uint8_t* a = sources->FetchPicture(kTurboSideA, out.geometry->width, out.geometry->height);
    const std::uint8_t* b = sources->FetchPicture(kTurboSideB, out.geometry->width, out.geometry->height);
    Mix(kTestDissolve, entry.transitionPercent, a, b, output);
  } else {
    if (entry.filters.size() != 1 || entry.filters.front().id != kTestAdd) return 0;
    const std::uint8_t* clip = sources->FetchPicture(kTurboSideClip, out.geometry->width, out.geometry->height);
    if (clip == nullptr) {
      std::memset(out.geometry->pixels, 0, static_cast<std::size_t>(out.geometry->stride) * out.geometry->height);
    } else if (!RunFilters(kTestAdd, entry.filters, clip, output, nullptr, keyColumn)) {
      return 0;
    }
  }
  ++turboFrames;
  return 1;
}

TurboEffectTest TestEffects::TurboTest() const { return turbo ? &TestTurboTest : nullptr; }

std::vector<RecordedCall> TestEffects::CallsOf(RecordedCall::Kind kind) const {
  std::vector<RecordedCall> found;
  std::copy_if(calls.begin(), calls.end(), std::back_inserter(found),
               [kind](const RecordedCall& call) { return call.kind == kind; });
  return found;
}

}  // namespace sprocket::testing
