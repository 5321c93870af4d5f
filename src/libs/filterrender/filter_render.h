#pragma once
// The filter renderer's calls: a clip's filters applied to one frame.
//
// Pictures are the locked addresses of packed 24-bit DIBs of one size. The
// filters of the list run one after the other, the first from the source
// into the destination, each later one on the result so far; every pixel of
// the destination is written. Masks are 24-bit pictures whose first byte is
// a weight in 128ths (0 transparent, 128 opaque): the second mask carries
// the picture's alpha in and the filters' alpha out (keys lower it,
// geometry moves it); the first mask is the clip's own alpha and stands in
// when there is no second. Without masks, a filter that makes alpha lays its
// result over the background picture (the frame composed so far, when it
// has the destination's size) or over black.
//
// The calls answer kEffectDone, kEffectStopped when the pump callback or the
// abort flag asked to stop, or kEffectBadPicture when the source or the
// destination is missing, is not 24-bit, or the pictures differ in size
// (nothing is written then). A filter id the catalogue does not know passes
// the picture unchanged.

#include <cstdint>
#include <span>

#include "libs/effectcatalog/effect_file_block.h"
#include "libs/effectcatalog/effect_frame_params.h"
#include "libs/effectcatalog/effect_picture.h"
#include "libs/effectcatalog/effect_stop.h"
#include "libs/effectcatalog/effect_values.h"

namespace sprocket {

// Ordinal 2. `filters` is the list from the first filter to run (an empty
// list runs `filterId` with its default values). `effectPercent` moves each
// filter's values from its first parameter set to its second. The source
// time (ms) and rate give the frame number of the effects that change from
// frame to frame; with fields rendered (params' field mode) they count
// fields. The log switch and the last two values do not change the picture.
int ApplyFilterFrame(std::int32_t logSwitch, std::int32_t filterId, float effectPercent, const std::uint8_t* source,
                     std::int32_t zero, std::uint8_t* destination, std::uint8_t* firstMask, std::uint8_t* secondMask,
                     std::span<const EffectFilter> filters, float rate, std::int32_t sourceTime, std::int32_t one,
                     const EffectFrameParams* params = nullptr, const std::uint8_t* background = nullptr,
                     const RenderPumpCallback& pump = {}, std::int32_t zero2 = 0, std::int32_t effectArg = 0);

// Ordinal 3, for the disk-buffered renderer: the two work pictures are the
// first and second masks when the work block says the effect has a mask;
// otherwise the background is read from the composite file the work block
// names (a packed DIB file of the destination's size), or is black.
int ApplyFilterFrameToFile(std::int32_t logSwitch, std::int32_t filterId, float effectPercent,
                           const std::uint8_t* source, std::uint8_t* destination, std::uint8_t* work1,
                           std::uint8_t* work2, std::int32_t zero, std::span<const EffectFilter> filters, float rate,
                           std::int32_t sourceTime, const EffectFileWorkBlock* workBlock, std::int32_t one,
                           const RenderPumpCallback& pump = {});

// The same on picture views. `alpha` and `background` may be empty views.
int ApplyFilters(std::span<const EffectFilter> filters, float effectPercent, const PictureView& source,
                 const PictureView& destination, const PictureView& alpha, const PictureView& background, float rate,
                 std::int32_t sourceTime, const EffectFrameParams* params = nullptr,
                 const RenderPumpCallback& pump = {});

// The frame number effects count with: source time x rate / 1000, rounded;
// doubled plus the current field when fields are rendered.
std::int64_t EffectFrameNumber(std::int32_t sourceTime, float rate, const EffectFrameParams* params);

}  // namespace sprocket
