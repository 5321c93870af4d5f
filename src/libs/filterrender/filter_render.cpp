#include "libs/filterrender/filter_render.h"

#include <cmath>
#include <cstring>
#include <fstream>

#include "imagelib/dib_header.h"
#include "libs/filterrender/filter_kernels.h"

namespace sprocket {

namespace {

// Lays the picture over the background (or black) under its alpha.
void LayOverBackground(const PictureView& picture, const PictureView& alpha, const PictureView& background) {
  const bool withBackground = background && background.SameSize(picture);
  for (std::int32_t y = 0; y < picture.height; ++y) {
    std::uint8_t* p = picture.Row(y);
    const std::uint8_t* b = withBackground ? background.Row(y) : nullptr;
    for (std::int32_t x = 0; x < picture.width; ++x, p += 3) {
      const int w = MaskWeight(alpha, x, y);
      for (int c = 0; c < 3; ++c) {
        const int under = b != nullptr ? b[x * 3 + c] : 0;
        p[c] = static_cast<std::uint8_t>((under * (kOpaque - w) + p[c] * w) >> 7);
      }
    }
  }
}

int RunFilter(const EffectFilter& filter, float effectPercent, const PictureView& source,
              const PictureView& destination, const PictureView& alpha, const PictureView& background,
              std::int64_t frameNumber, StopCheck& stop) {
  const EffectDescriptor* effect = FindFilter(filter.id);
  const FilterKernel kernel = effect != nullptr ? FindFilterKernel(filter.id) : nullptr;
  if (kernel == nullptr) {
    CopyPixels(source, destination);
    return kEffectDone;
  }
  FilterFrame frame;
  frame.source = source;
  frame.destination = destination;
  frame.alpha = alpha;
  frame.filter = &filter;
  frame.values = ResolveEffectValues(*effect, &filter, effectPercent);
  frame.effectPercent = effectPercent;
  frame.frameNumber = frameNumber;
  frame.stop = &stop;
  if (!effect->Has(kEffectAlphaMask) || alpha) return kernel(frame);

  PictureBuffer ownAlpha(source.width, source.height);
  FillPixels(ownAlpha.view(), BgrPixel{kOpaque, kOpaque, kOpaque});
  frame.alpha = ownAlpha.view();
  const int answer = kernel(frame);
  if (answer == kEffectDone) LayOverBackground(destination, ownAlpha.view(), background);
  return answer;
}

bool Usable(const PictureView& picture, const PictureView& size) { return !picture || picture.SameSize(size); }

// Reads a picture file (a packed DIB's header and pixels) of the given size.
PictureBuffer ReadPictureFile(const char* path, std::int32_t width, std::int32_t height) {
  std::ifstream in(path, std::ios::binary);
  DibInfoHeader header;
  if (!in.read(reinterpret_cast<char*>(&header), sizeof header)) return {};
  if (header.biBitCount != 24 || header.biWidth != width || header.biHeight != height) return {};
  const std::uint32_t stride = header.biSizeImage / static_cast<std::uint32_t>(height);
  if (stride < static_cast<std::uint32_t>(width) * 3) return {};
  PictureBuffer picture(width, height);
  std::vector<char> row(stride);
  for (std::int32_t y = 0; y < height; ++y) {
    if (!in.read(row.data(), static_cast<std::streamsize>(stride))) return {};
    std::memcpy(picture.view().Row(y), row.data(), static_cast<std::size_t>(width) * 3);
  }
  return picture;
}

}  // namespace

std::int64_t EffectFrameNumber(std::int32_t sourceTime, float rate, const EffectFrameParams* params) {
  const double frames = static_cast<double>(sourceTime) * (std::isfinite(rate) ? rate : 0.0f) / 1000.0;
  std::int64_t number = std::llround(frames);
  if (params != nullptr && params->fieldMode != 0) number = number * 2 + (params->currentField != 0 ? 1 : 0);
  return number;
}

int ApplyFilters(std::span<const EffectFilter> filters, float effectPercent, const PictureView& source,
                 const PictureView& destination, const PictureView& alpha, const PictureView& background, float rate,
                 std::int32_t sourceTime, const EffectFrameParams* params, const RenderPumpCallback& pump) {
  if (!source || !destination || !source.SameSize(destination) || !Usable(alpha, destination)) return kEffectBadPicture;
  StopCheck stop(pump);
  if (stop.Stopped()) return kEffectStopped;
  const std::int64_t frameNumber = EffectFrameNumber(sourceTime, rate, params);
  PictureBuffer input;
  for (std::size_t i = 0; i < filters.size(); ++i) {
    // Every filter after the first (and a first whose source is its
    // destination) reads a copy of the picture so far.
    const bool sameBlock = i == 0 && source.pixels == destination.pixels;
    if (i > 0 || sameBlock) input = PictureBuffer(i == 0 ? source : destination);
    const PictureView& from = i > 0 || sameBlock ? input.view() : source;
    const int answer = RunFilter(filters[i], effectPercent, from, destination, alpha, background, frameNumber, stop);
    if (answer != kEffectDone) return answer;
  }
  if (filters.empty()) CopyPixels(source, destination);
  return kEffectDone;
}

int ApplyFilterFrame(std::int32_t /*logSwitch*/, std::int32_t filterId, float effectPercent, const std::uint8_t* source,
                     std::int32_t /*zero*/, std::uint8_t* destination, std::uint8_t* firstMask,
                     std::uint8_t* secondMask, std::span<const EffectFilter> filters, float rate,
                     std::int32_t sourceTime, std::int32_t /*one*/, const EffectFrameParams* params,
                     const std::uint8_t* background, const RenderPumpCallback& pump, std::int32_t /*zero2*/,
                     std::int32_t /*effectArg*/) {
  const PictureView from = ViewPicture24(source);
  const PictureView to = ViewPicture24(destination);
  const PictureView alpha = secondMask != nullptr ? ViewPicture24(secondMask) : ViewPicture24(firstMask);
  if ((secondMask != nullptr || firstMask != nullptr) && !alpha) return kEffectBadPicture;
  EffectFilter defaults;
  defaults.id = filterId;
  const std::span<const EffectFilter> list = filters.empty() ? std::span<const EffectFilter>(&defaults, 1) : filters;
  return ApplyFilters(list, effectPercent, from, to, alpha, ViewPicture24(background), rate, sourceTime, params, pump);
}

int ApplyFilterFrameToFile(std::int32_t logSwitch, std::int32_t filterId, float effectPercent,
                           const std::uint8_t* source, std::uint8_t* destination, std::uint8_t* work1,
                           std::uint8_t* work2, std::int32_t /*zero*/, std::span<const EffectFilter> filters,
                           float rate, std::int32_t sourceTime, const EffectFileWorkBlock* workBlock, std::int32_t one,
                           const RenderPumpCallback& pump) {
  const bool hasMask = workBlock != nullptr && workBlock->hasMask != 0;
  if (hasMask) {
    return ApplyFilterFrame(logSwitch, filterId, effectPercent, source, 0, destination, work1, work2, filters, rate,
                            sourceTime, one, nullptr, nullptr, pump);
  }
  const PictureView to = ViewPicture24(destination);
  PictureBuffer background;
  if (to && workBlock != nullptr) {
    char path[sizeof workBlock->compositePath + 1] = {};
    std::memcpy(path, workBlock->compositePath, sizeof workBlock->compositePath);
    if (path[0] != '\0') background = ReadPictureFile(path, to.width, to.height);
  }
  EffectFilter defaults;
  defaults.id = filterId;
  const std::span<const EffectFilter> list = filters.empty() ? std::span<const EffectFilter>(&defaults, 1) : filters;
  return ApplyFilters(list, effectPercent, ViewPicture24(source), to, PictureView{}, background.view(), rate,
                      sourceTime, nullptr, pump);
}

}  // namespace sprocket
