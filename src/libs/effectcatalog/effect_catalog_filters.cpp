// The filters of the catalogue.

#include "libs/effectcatalog/effect_catalog.h"
#include "libs/effectcatalog/effect_ids.h"

namespace sprocket {

namespace {

using enum EffectFamily;
using enum ParamType;
constexpr EffectKind F = EffectKind::kFilter;

constexpr std::span<const ParamDescriptor> kNoParams{};

constexpr ParamDescriptor kBrightnessContrastParams[] = {
    {"brightness", "Brightness", kInteger, 0, 0, -100, 100, {}},
    {"contrast", "Contrast", kInteger, 1, 0, -100, 100, {}},
};
constexpr ParamDescriptor kGammaParams[] = {
    {"gamma", "Gamma (x 100)", kInteger, 0, 100, 10, 400, {}},
};
constexpr ParamDescriptor kColourBalanceParams[] = {
    {"red", "Red", kInteger, 0, 0, -100, 100, {}},
    {"green", "Green", kInteger, 1, 0, -100, 100, {}},
    {"blue", "Blue", kInteger, 2, 0, -100, 100, {}},
};
constexpr ParamDescriptor kTintParams[] = {
    {"colour", "Tint colour", kColour, 0, 0x144270, 0, 0xFFFFFF, {}},
    {"amount", "Amount", kPercent, 1, 100, 0, 100, {}},
};
constexpr ParamDescriptor kPosterizeParams[] = {
    {"levels", "Levels per colour", kInteger, 0, 4, 2, 64, {}},
};
constexpr ParamDescriptor kThresholdParams[] = {
    {"level", "Threshold", kLevel, 0, 128, 0, 255, {}},
};
constexpr ParamDescriptor kSharpenParams[] = {
    {"amount", "Amount", kInteger, 0, 50, 0, 200, {}},
};
constexpr ParamDescriptor kEmbossParams[] = {
    {"depth", "Depth", kInteger, 0, 2, 1, 10, {}},
};
constexpr ParamDescriptor kEdgeParams[] = {
    {"gain", "Gain", kInteger, 0, 1, 1, 10, {}},
};
constexpr ParamDescriptor kBlurParams[] = {
    {"strength", "Strength", kPercent, 0, 30, 0, 100, {}},
};
constexpr ParamDescriptor kMotionBlurParams[] = {
    {"length", "Length in pixels", kInteger, 0, 9, 1, 64, {}},
    {"direction", "Direction", kChoice, 1, 0, 0, 3, "Horizontal|Vertical|Rising diagonal|Falling diagonal"},
};
constexpr ParamDescriptor kMosaicParams[] = {
    {"block", "Block size in pixels", kInteger, 0, 8, 1, 128, {}},
};
constexpr ParamDescriptor kColourKeyParams[] = {
    {"colour", "Key colour", kColour, 0, 0x00FF00, 0, 0xFFFFFF, {}},
    {"tolerance", "Tolerance", kLevel, 1, 40, 0, 255, {}},
    {"softness", "Softness", kLevel, 2, 20, 0, 255, {}},
};
constexpr ParamDescriptor kLumaKeyParams[] = {
    {"low", "Lowest keyed brightness", kLevel, 0, 0, 0, 255, {}},
    {"high", "Highest keyed brightness", kLevel, 1, 40, 0, 255, {}},
    {"softness", "Softness", kLevel, 2, 16, 0, 255, {}},
};
constexpr ParamDescriptor kGradientParams[] = {
    {"direction", "Direction", kChoice, 0, 0, 0, 4,
     "Left to right|Right to left|Bottom to top|Top to bottom|From the centre"},
    {"start", "Opacity at the start", kPercent, 1, 100, 0, 100, {}},
    {"end", "Opacity at the end", kPercent, 2, 0, 0, 100, {}},
};
constexpr ParamDescriptor kScreenAnimationParams[] = {
    {"size", "Size", kPercent, 0, 50, 5, 100, {}},
    {"x", "Centre across", kPercent, 1, 50, 0, 100, {}},
    {"y", "Centre up", kPercent, 2, 50, 0, 100, {}},
    {"border", "Border width", kInteger, 3, 0, 0, 32, {}},
    {"border_colour", "Border colour", kColour, 4, 0xFFFFFF, 0, 0xFFFFFF, {}},
};
constexpr ParamDescriptor kTextureParams[] = {
    {"texture", "Texture", kChoice, 0, 0, 0, 4, "Canvas|Bricks|Noise|Wood grain|Picture"},
    {"amount", "Relief", kPercent, 1, 50, 0, 100, {}},
    {"see_through", "See-through", kPercent, 2, 0, 0, 100, {}},
    {"scale", "Scale", kInteger, 3, 4, 1, 16, {}},
};
constexpr ParamDescriptor kHueSaturationParams[] = {
    {"saturation", "Saturation", kInteger, 0, 0, -100, 100, {}},
    {"hue", "Hue rotation", kAngle, 1, 0, 0, 360, {}},
};
constexpr ParamDescriptor kShapeParams[] = {
    {"shape", "Shape", kChoice, 0, 0, 0, 2, "Ellipse|Rectangle|Diamond"},
    {"size", "Size", kPercent, 1, 80, 0, 100, {}},
    {"softness", "Softness", kPercent, 2, 10, 0, 100, {}},
    {"keep", "Keep", kChoice, 3, 0, 0, 1, "Inside|Outside"},
};
constexpr ParamDescriptor kMatteParams[] = {
    {"keep", "Keep", kChoice, 0, 0, 0, 1, "White parts|Black parts"},
};
constexpr ParamDescriptor kShadowParams[] = {
    {"x", "Shadow offset across", kInteger, 0, 8, -64, 64, {}},
    {"y", "Shadow offset up", kInteger, 1, -8, -64, 64, {}},
    {"opacity", "Shadow opacity", kPercent, 2, 60, 0, 100, {}},
    {"colour", "Shadow colour", kColour, 3, 0, 0, 0xFFFFFF, {}},
};
constexpr ParamDescriptor kRotateParams[] = {
    {"angle", "Angle", kAngle, 0, 0, -360, 360, {}},
};
constexpr ParamDescriptor kPanZoomParams[] = {
    {"zoom", "Zoom percent", kInteger, 0, 100, 100, 800, {}},
    {"x", "Centre across", kPercent, 1, 50, 0, 100, {}},
    {"y", "Centre up", kPercent, 2, 50, 0, 100, {}},
};
constexpr ParamDescriptor kMirrorParams[] = {
    {"side", "Mirror", kChoice, 0, 0, 0, 3, "Left onto right|Right onto left|Bottom onto top|Top onto bottom"},
};
constexpr ParamDescriptor kRippleParams[] = {
    {"amplitude", "Amplitude in pixels", kInteger, 0, 8, 0, 64, {}},
    {"wavelength", "Wavelength in pixels", kInteger, 1, 40, 2, 400, {}},
    {"direction", "Waves", kChoice, 2, 0, 0, 1, "Across|Up and down"},
};
constexpr ParamDescriptor kTwirlParams[] = {
    {"angle", "Angle", kAngle, 0, 180, -720, 720, {}},
    {"radius", "Radius", kPercent, 1, 50, 1, 100, {}},
};
constexpr ParamDescriptor kPageParams[] = {
    {"curl", "Peeled", kPercent, 0, 0, 0, 100, {}},
    {"corner", "Corner", kChoice, 1, 0, 0, 3, "Bottom right|Bottom left|Top right|Top left"},
};
constexpr ParamDescriptor kGrainParams[] = {
    {"amount", "Amount", kPercent, 0, 20, 0, 100, {}},
    {"colour", "Grain", kChoice, 1, 1, 0, 1, "Coloured|Grey"},
};
constexpr ParamDescriptor kOldFilmParams[] = {
    {"grain", "Grain", kPercent, 0, 15, 0, 100, {}},
    {"scratches", "Scratches", kInteger, 1, 3, 0, 10, {}},
    {"flicker", "Flicker", kPercent, 2, 20, 0, 100, {}},
    {"sepia", "Sepia", kPercent, 3, 60, 0, 100, {}},
};
constexpr ParamDescriptor kExplosionParams[] = {
    {"amount", "Explosion", kPercent, 0, 0, 0, 100, {}},
    {"tiles", "Pieces across", kInteger, 1, 8, 2, 32, {}},
    {"spread", "Spread", kInteger, 2, 100, 0, 400, {}},
};
constexpr ParamDescriptor kRepetitionParams[] = {
    {"tiles", "Copies across", kInteger, 0, 3, 1, 16, {}},
    {"tilt", "Tilt", kAngle, 1, 35, 0, 75, {}},
};
constexpr ParamDescriptor kFreezeParams[] = {
    {"hold", "Hold frames", kInteger, 0, 5, 1, 250, {}},
};
constexpr ParamDescriptor kTrailingParams[] = {
    {"mode", "Mode", kChoice, 0, 1, 0, 3, "Off|On|Fading with blur|Fading with hue"},
    {"count", "Trail length", kInteger, 1, 50, 1, 1000, {}},
    {"level", "Fading level", kPercent, 2, 30, 0, 100, {}},
};

constexpr std::uint32_t kFast = kEffectFastPath;
constexpr std::uint32_t kAlpha = kEffectAlphaMask;
constexpr std::uint32_t kWide = kEffectScreenWide;
constexpr std::uint32_t kPrepared = kEffectPrepared;
constexpr std::uint32_t kPicture = kEffectUsesPicture;

constexpr EffectDescriptor kFilters[] = {
    {effect_id::kBrightnessContrast, F, kColourFilter, "brightness_contrast", "Brightness and Contrast",
     "Makes the picture lighter or darker and changes its contrast.", kBrightnessContrastParams, kFast},
    {effect_id::kGamma, F, kColourFilter, "gamma", "Gamma", "Lightens or darkens the middle tones.", kGammaParams,
     kFast},
    {effect_id::kColourBalance, F, kColourFilter, "colour_balance", "Colour Balance",
     "Adds or takes away red, green and blue.", kColourBalanceParams, kFast},
    {effect_id::kGreyscale, F, kColourFilter, "greyscale", "Black and White", "Turns the picture into shades of grey.",
     kNoParams, 0},
    {effect_id::kTint, F, kColourFilter, "tint", "Tint",
     "Colours the picture's grey levels with one colour (sepia by default).", kTintParams, 0},
    {effect_id::kInvert, F, kColourFilter, "invert", "Negative", "Inverts every colour.", kNoParams, kFast},
    {effect_id::kPosterize, F, kColourFilter, "posterize", "Posterize", "Reduces each colour to a few levels.",
     kPosterizeParams, kFast},
    {effect_id::kThreshold, F, kColourFilter, "threshold", "Threshold",
     "Turns pixels brighter than the threshold white and the others black.", kThresholdParams, 0},
    {effect_id::kCurves, F, kColourFilter, "curves", "Colour Curves",
     "Maps each colour through its own table and then through the master table.", kNoParams, kFast},
    {effect_id::kSolarize, F, kColourFilter, "solarize", "Solarize", "Inverts the colour values above the threshold.",
     kThresholdParams, kFast},
    {effect_id::kSharpen, F, kSharpness, "sharpen", "Sharpen", "Makes edges crisper.", kSharpenParams, 0},
    {effect_id::kEmboss, F, kSharpness, "emboss", "Emboss",
     "Turns the picture into a grey relief lit from the top left.", kEmbossParams, 0},
    {effect_id::kEdgeDetect, F, kSharpness, "edge_detect", "Find Edges",
     "Shows the edges of the picture as light lines on black.", kEdgeParams, 0},
    {effect_id::kBlur, F, kSharpness, "blur", "Soften", "Blurs the picture evenly.", kBlurParams, 0},
    {effect_id::kMotionBlur, F, kSharpness, "motion_blur", "Motion Blur", "Smears the picture along one direction.",
     kMotionBlurParams, 0},
    {effect_id::kMosaic, F, kSharpness, "mosaic", "Mosaic", "Shows the picture as blocks of one colour.", kMosaicParams,
     0},
    {effect_id::kColourKey, F, kKey, "colour_key", "Transparency Assignment",
     "Makes the pixels near the key colour transparent so that the tracks below show through.", kColourKeyParams,
     kAlpha | kWide},
    {effect_id::kLumaKey, F, kKey, "luma_key", "Luminance Key",
     "Makes the pixels within a brightness range transparent.", kLumaKeyParams, kAlpha},
    {effect_id::kGradientWizard, F, kKey, "gradient_wizard", "Gradient Wizard",
     "Fades the picture's opacity across the frame.", kGradientParams, kAlpha | kWide},
    {effect_id::kVideoScreenAnimation, F, kSpecial, "video_screen_animation", "Video Screen Animation",
     "Shows the picture as a smaller screen that moves along a path over the tracks below.", kScreenAnimationParams,
     kAlpha | kWide | kPrepared},
    {effect_id::kTextureMap, F, kKey, "texture_map", "Texture Map",
     "Lays a texture over the picture as a relief and lets the tracks below show through its dark parts.",
     kTextureParams, kAlpha | kPrepared | kPicture},
    {effect_id::kHueSaturation, F, kColourFilter, "hue_saturation", "Hue and Saturation",
     "Turns the colours around the colour wheel and makes them stronger or paler.", kHueSaturationParams, 0},
    {effect_id::kShapeMask, F, kKey, "shape_mask", "Shape Mask", "Shows the picture inside (or outside) a shape only.",
     kShapeParams, kAlpha},
    {effect_id::kImageMatte, F, kKey, "image_matte", "Image Matte", "Takes the picture's opacity from a grey picture.",
     kMatteParams, kAlpha | kPicture},
    {effect_id::kDropShadow, F, kKey, "drop_shadow", "Drop Shadow",
     "Casts a shadow of the picture's opaque parts onto the tracks below.", kShadowParams, kAlpha},
    {effect_id::kFlipHorizontal, F, kGeometry, "flip_horizontal", "Flip Horizontal",
     "Mirrors the picture left to right.", kNoParams, 0},
    {effect_id::kFlipVertical, F, kGeometry, "flip_vertical", "Flip Vertical", "Turns the picture upside down.",
     kNoParams, 0},
    {effect_id::kRotate, F, kGeometry, "rotate", "Rotate", "Turns the picture about its centre.", kRotateParams, 0},
    {effect_id::kPanZoom, F, kGeometry, "pan_zoom", "Pan and Zoom",
     "Enlarges a part of the picture and moves across it.", kPanZoomParams, 0},
    {effect_id::kMirror, F, kGeometry, "mirror", "Mirror", "Reflects one half of the picture onto the other.",
     kMirrorParams, 0},
    {effect_id::kRipple, F, kDistortion, "ripple", "Ripple", "Bends the picture in waves that move with time.",
     kRippleParams, 0},
    {effect_id::kTwirl, F, kDistortion, "twirl", "Twirl", "Twists the middle of the picture around its centre.",
     kTwirlParams, 0},
    {effect_id::kPageEffect, F, kSpecial, "page_effect", "Page Effect",
     "Peels the picture off from a corner like a page and shows the tracks below.", kPageParams, kAlpha | kWide},
    {effect_id::kFilmGrain, F, kSpecial, "film_grain", "Film Grain", "Adds moving grain to the picture.", kGrainParams,
     kPrepared},
    {effect_id::kOldFilm, F, kSpecial, "old_film", "Old Film", "Adds grain, scratches, flicker and a sepia tone.",
     kOldFilmParams, kPrepared},
    {effect_id::kExplosion, F, kSpecial, "explosion", "Explosion Effect",
     "Breaks the picture into pieces that fly apart over the tracks below.", kExplosionParams, kAlpha | kWide},
    {effect_id::kRepetition3D, F, kSpecial, "repetition_3d", "Repetition 3D Effect",
     "Repeats the picture on a wall of tiles that leans back into the distance.", kRepetitionParams, kWide | kPrepared},
    {effect_id::kFreezeFrame, F, kSpecial, "freeze_frame", "Strobe", "Holds each picture for a number of frames.",
     kFreezeParams, kPrepared},
    {effect_id::kTrailing, F, kPassThrough, "trailing", "Trailing Effect",
     "Leaves a fading trail of the picture's earlier positions; the compositor keeps the trail.", kTrailingParams,
     kWide},
    {effect_id::kPlugIn, F, kPassThrough, "plug_in", "Plug-in Filter",
     "A filter of a plug-in module; the plug-in host runs it.", kNoParams, 0},
};

}  // namespace

namespace catalog_detail {
std::span<const EffectDescriptor> Filters() { return kFilters; }
}  // namespace catalog_detail

}  // namespace sprocket
