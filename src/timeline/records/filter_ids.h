#pragma once
// Filter ids that the timeline itself gives a meaning to.

#include <cstdint>

namespace sprocket {

// Id of a render-segment play record read from a board clip.
inline constexpr std::int32_t kFilterSegmentPlayRecord = 1;
// A transition carrying an effect sequence; as the second filter of a
// transition, a filter that is not run.
inline constexpr std::int32_t kFilterEffectSequence = 999;
inline constexpr std::int32_t kFilterBlur = 1304;
inline constexpr std::int32_t kFilterHueSaturation = 3100;
inline constexpr std::int32_t kFilterTransparencyAssignment = 1500;  // colour key
inline constexpr std::int32_t kFilterLumaKey = 1510;
inline constexpr std::int32_t kFilterGradientWizard = 1550;
inline constexpr std::int32_t kFilterVideoScreenAnimation = 1552;
inline constexpr std::int32_t kFilterTextureMap = 1560;
inline constexpr std::int32_t kFilterShapeMask = 4001;
inline constexpr std::int32_t kFilterImageMatte = 4020;
inline constexpr std::int32_t kFilterBorderShadow = 5000;
inline constexpr std::int32_t kFilterPageEffect = 8002;
inline constexpr std::int32_t kFilterFilmGrain = 8005;
inline constexpr std::int32_t kFilterOldFilm = 8006;
inline constexpr std::int32_t kFilterExplosionEffect = 8007;
inline constexpr std::int32_t kFilterRepetition3D = 8009;
inline constexpr std::int32_t kFilterFreezeFrame = 8010;
inline constexpr std::int32_t kFilterTrailingEffect = 9000;  // accumulation
inline constexpr std::int32_t kFilterPlugIn = 9999;

// Bytes 364 and 365 of a plug-in's data block hold "QX" when the plug-in
// works with an alpha mask.
inline constexpr std::size_t kPlugInAlphaMarkerOffset = 364;

}  // namespace sprocket
