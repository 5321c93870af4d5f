#pragma once
// Ids of the transitions and filters of the effect catalogue.
//
// Transitions use ids 1..898 and 999; filters 1000 and above. The ids are
// stored in timeline files, so they never change.

#include <cstdint>

namespace sprocket::effect_id {

// --- Transitions ---
// Dissolves.
inline constexpr std::int32_t kCrossDissolve = 1;
inline constexpr std::int32_t kAdditiveDissolve = 2;
inline constexpr std::int32_t kDipToBlack = 3;
inline constexpr std::int32_t kDipToWhite = 4;
inline constexpr std::int32_t kRandomDissolve = 5;
inline constexpr std::int32_t kNonAdditiveDissolve = 6;
inline constexpr std::int32_t kLuminanceDissolve = 7;
// Edge wipes: left to right, right to left, top to bottom, bottom to top,
// then the diagonals from the top-left, top-right, bottom-left and
// bottom-right corners.
inline constexpr std::int32_t kWipeLeftToRight = 10;
inline constexpr std::int32_t kWipeRightToLeft = 11;
inline constexpr std::int32_t kWipeTopToBottom = 12;
inline constexpr std::int32_t kWipeBottomToTop = 13;
inline constexpr std::int32_t kWipeFromTopLeft = 14;
inline constexpr std::int32_t kWipeFromTopRight = 15;
inline constexpr std::int32_t kWipeFromBottomLeft = 16;
inline constexpr std::int32_t kWipeFromBottomRight = 17;
// Barn doors.
inline constexpr std::int32_t kBarnDoorOpenHorizontal = 20;
inline constexpr std::int32_t kBarnDoorCloseHorizontal = 21;
inline constexpr std::int32_t kBarnDoorOpenVertical = 22;
inline constexpr std::int32_t kBarnDoorCloseVertical = 23;
// Iris shapes (out: B grows from the centre; in: B closes in from the edges).
inline constexpr std::int32_t kIrisBoxOut = 30;
inline constexpr std::int32_t kIrisBoxIn = 31;
inline constexpr std::int32_t kIrisCircleOut = 32;
inline constexpr std::int32_t kIrisCircleIn = 33;
inline constexpr std::int32_t kIrisDiamondOut = 34;
inline constexpr std::int32_t kIrisDiamondIn = 35;
inline constexpr std::int32_t kIrisCrossOut = 36;
inline constexpr std::int32_t kIrisCrossIn = 37;
inline constexpr std::int32_t kIrisStarOut = 38;
// Clock and radial wipes.
inline constexpr std::int32_t kClockClockwise = 40;
inline constexpr std::int32_t kClockCounterClockwise = 41;
inline constexpr std::int32_t kFanFromTop = 42;
inline constexpr std::int32_t kFanFromBottom = 43;
inline constexpr std::int32_t kDoubleFan = 44;
inline constexpr std::int32_t kRadialFromCorner = 45;
// Patterns.
inline constexpr std::int32_t kBlindsHorizontal = 50;
inline constexpr std::int32_t kBlindsVertical = 51;
inline constexpr std::int32_t kCheckerboard = 52;
inline constexpr std::int32_t kRandomBlocks = 53;
inline constexpr std::int32_t kZigZagBlocks = 54;
inline constexpr std::int32_t kSpiralBoxes = 55;
inline constexpr std::int32_t kDiagonalBlinds = 56;
inline constexpr std::int32_t kRandomBars = 57;
// Push (A and B move together) in eight directions: left, right, up, down,
// up-left, up-right, down-left, down-right (the direction the pictures move).
inline constexpr std::int32_t kPushLeft = 60;
inline constexpr std::int32_t kPushDownRight = 67;
// Slide (B moves in over A), the same eight directions.
inline constexpr std::int32_t kSlideLeft = 70;
inline constexpr std::int32_t kSlideDownRight = 77;
// Uncover (A moves off and shows B): left, right, up, down.
inline constexpr std::int32_t kUncoverLeft = 80;
inline constexpr std::int32_t kUncoverDown = 83;
// Corner wipes: B grows as a box from the top-left, top-right, bottom-left
// and bottom-right corners.
inline constexpr std::int32_t kCornerTopLeft = 90;
inline constexpr std::int32_t kCornerBottomRight = 93;
// Zoom and stretch.
inline constexpr std::int32_t kZoomInB = 100;
inline constexpr std::int32_t kZoomOutA = 101;
inline constexpr std::int32_t kCrossZoom = 102;
inline constexpr std::int32_t kStretchHorizontal = 103;
inline constexpr std::int32_t kStretchVertical = 104;
inline constexpr std::int32_t kSqueeze = 105;
// Soft wipes through grey maps made in code.
inline constexpr std::int32_t kSoftLeftToRight = 130;
inline constexpr std::int32_t kSoftTopToBottom = 131;
inline constexpr std::int32_t kSoftDiagonal = 132;
inline constexpr std::int32_t kSoftCircle = 133;
inline constexpr std::int32_t kSoftClock = 134;
inline constexpr std::int32_t kSoftDiamond = 135;
inline constexpr std::int32_t kSoftBlinds = 136;
inline constexpr std::int32_t kSoftSpiral = 137;
inline constexpr std::int32_t kSoftClouds = 138;
inline constexpr std::int32_t kSoftStar = 139;
inline constexpr std::int32_t kSoftRings = 140;
inline constexpr std::int32_t kGreyMapWipe = 141;
// A transition that runs a sequence of transitions (the filters after it).
inline constexpr std::int32_t kEffectSequence = 999;

// --- Filters ---
inline constexpr std::int32_t kBrightnessContrast = 1001;
inline constexpr std::int32_t kGamma = 1002;
inline constexpr std::int32_t kColourBalance = 1003;
inline constexpr std::int32_t kGreyscale = 1004;
inline constexpr std::int32_t kTint = 1005;
inline constexpr std::int32_t kInvert = 1006;
inline constexpr std::int32_t kPosterize = 1007;
inline constexpr std::int32_t kThreshold = 1008;
inline constexpr std::int32_t kCurves = 1009;
inline constexpr std::int32_t kSolarize = 1010;
inline constexpr std::int32_t kSharpen = 1301;
inline constexpr std::int32_t kEmboss = 1302;
inline constexpr std::int32_t kEdgeDetect = 1303;
inline constexpr std::int32_t kBlur = 1304;
inline constexpr std::int32_t kMotionBlur = 1305;
inline constexpr std::int32_t kMosaic = 1306;
inline constexpr std::int32_t kColourKey = 1500;  // "Transparency Assignment"
inline constexpr std::int32_t kLumaKey = 1510;
inline constexpr std::int32_t kGradientWizard = 1550;
inline constexpr std::int32_t kVideoScreenAnimation = 1552;
inline constexpr std::int32_t kTextureMap = 1560;
inline constexpr std::int32_t kHueSaturation = 3100;
inline constexpr std::int32_t kShapeMask = 4001;
inline constexpr std::int32_t kImageMatte = 4020;
inline constexpr std::int32_t kDropShadow = 5000;
inline constexpr std::int32_t kFlipHorizontal = 6001;
inline constexpr std::int32_t kFlipVertical = 6002;
inline constexpr std::int32_t kRotate = 6003;
inline constexpr std::int32_t kPanZoom = 6004;
inline constexpr std::int32_t kMirror = 6005;
inline constexpr std::int32_t kRipple = 7001;
inline constexpr std::int32_t kTwirl = 7002;
inline constexpr std::int32_t kPageEffect = 8002;
inline constexpr std::int32_t kFilmGrain = 8005;
inline constexpr std::int32_t kOldFilm = 8006;
inline constexpr std::int32_t kExplosion = 8007;
inline constexpr std::int32_t kRepetition3D = 8009;
inline constexpr std::int32_t kFreezeFrame = 8010;
inline constexpr std::int32_t kTrailing = 9000;
inline constexpr std::int32_t kPlugIn = 9999;

}  // namespace sprocket::effect_id
