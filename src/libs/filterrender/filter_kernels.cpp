#include "libs/filterrender/filter_kernels.h"

#include "libs/effectcatalog/effect_ids.h"

namespace sprocket {

FilterKernel FindFilterKernel(std::int32_t id) {
  using namespace effect_id;
  switch (id) {
    case kBrightnessContrast:
    case kGamma:
    case kColourBalance:
    case kInvert:
    case kPosterize:
    case kCurves:
    case kSolarize:
      return ChannelTableFilter;
    case kGreyscale:
      return GreyscaleFilter;
    case kTint:
      return TintFilter;
    case kThreshold:
      return ThresholdFilter;
    case kHueSaturation:
      return HueSaturationFilter;
    case kSharpen:
      return SharpenFilter;
    case kEmboss:
      return EmbossFilter;
    case kEdgeDetect:
      return EdgeDetectFilter;
    case kBlur:
      return BlurFilter;
    case kMotionBlur:
      return MotionBlurFilter;
    case kMosaic:
      return MosaicFilter;
    case kColourKey:
      return ColourKeyFilter;
    case kLumaKey:
      return LumaKeyFilter;
    case kGradientWizard:
      return GradientFilter;
    case kVideoScreenAnimation:
      return ScreenAnimationFilter;
    case kTextureMap:
      return TextureMapFilter;
    case kShapeMask:
      return ShapeMaskFilter;
    case kImageMatte:
      return ImageMatteFilter;
    case kDropShadow:
      return DropShadowFilter;
    case kFlipHorizontal:
      return FlipHorizontalFilter;
    case kFlipVertical:
      return FlipVerticalFilter;
    case kRotate:
      return RotateFilter;
    case kPanZoom:
      return PanZoomFilter;
    case kMirror:
      return MirrorFilter;
    case kRipple:
      return RippleFilter;
    case kTwirl:
      return TwirlFilter;
    case kPageEffect:
      return PageEffectFilter;
    case kFilmGrain:
      return FilmGrainFilter;
    case kOldFilm:
      return OldFilmFilter;
    case kExplosion:
      return ExplosionFilter;
    case kRepetition3D:
      return RepetitionFilter;
    case kFreezeFrame:
      return FreezeFrameFilter;
    case kTrailing:
    case kPlugIn:
      return CopyFilter;
    default:
      return nullptr;
  }
}

}  // namespace sprocket
