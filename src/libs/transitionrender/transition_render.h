#pragma once
// The transition renderer's calls: one transition frame between an A and a
// B picture.
//
// Pictures are the locked addresses of packed 24-bit DIBs of one size. A
// missing (null) A or B counts as black. Every pixel of the result is
// written. The calls answer kEffectDone, kEffectStopped when the pump
// callback or the abort flag asked to stop, or kEffectBadPicture when the
// result is missing or a picture is not 24-bit or of another size (nothing
// is written then).

#include <cstdint>
#include <span>

#include "libs/effectcatalog/effect_file_block.h"
#include "libs/effectcatalog/effect_frame_params.h"
#include "libs/effectcatalog/effect_picture.h"
#include "libs/effectcatalog/effect_stop.h"
#include "libs/effectcatalog/effect_values.h"

namespace sprocket {

// Ordinal 2. `filters` is the transition entry's list: its first record is
// the transition (its values; the id comes from `transitionId`), an effect
// sequence reads its steps from the records after it. `effectPercent` moves
// the values from the record's first parameter set to its second. The log
// switch, source time, rate and frame parameters do not change the picture.
int RenderTransitionFrame(std::int32_t logSwitch, std::int32_t transitionId, float transitionPercent,
                          const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* result, std::int32_t zero1,
                          std::int32_t zero2, std::span<const EffectFilter> filters, float effectPercent,
                          std::int32_t sourceTime, std::int32_t rate, std::int32_t one,
                          const EffectFrameParams* params = nullptr, const RenderPumpCallback& pump = {});

// Ordinal 3, for the disk-buffered renderer: the same frame; a mask picture
// of the result's size, when given, is made fully opaque (128), since a
// transition covers the whole frame.
int RenderTransitionFrameToFile(std::int32_t logSwitch, std::int32_t transitionId, float transitionPercent,
                                const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* result, std::uint8_t* mask,
                                std::span<const EffectFilter> filters, float effectPercent, std::int32_t sourceTime,
                                std::int32_t rate, const EffectFileWorkBlock* workBlock, std::int32_t one,
                                const RenderPumpCallback& pump = {});

// The same on picture views, for the effect dialogs, icons and the fast
// path's tests.
int RenderTransition(std::int32_t transitionId, float transitionPercent, const PictureView& a, const PictureView& b,
                     const PictureView& result, std::span<const EffectFilter> filters = {}, float effectPercent = 0.0f,
                     const RenderPumpCallback& pump = {});

}  // namespace sprocket
