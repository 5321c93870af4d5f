// The transitions of the catalogue and the stock transition table made from
// them.

#include <array>

#include "libs/effectcatalog/effect_catalog.h"
#include "libs/effectcatalog/effect_ids.h"
#include "libs/effectcatalog/stock_transition_table.h"

namespace sprocket {

namespace {

using enum EffectFamily;
constexpr EffectKind T = EffectKind::kTransition;

#define SPROCKET_RANGE_PARAMS                                                                         \
  ParamDescriptor{"start", "Start percent", ParamType::kPercent, 0, 0, 0, 100, {}}, ParamDescriptor { \
    "end", "End percent", ParamType::kPercent, 1, 100, 0, 100, {}                                     \
  }

constexpr ParamDescriptor kRange[] = {SPROCKET_RANGE_PARAMS};
constexpr ParamDescriptor kHardEdge[] = {
    SPROCKET_RANGE_PARAMS,
    {"softness", "Edge softness", ParamType::kPercent, 2, 0, 0, 100, {}},
};
constexpr ParamDescriptor kSoftEdge[] = {
    SPROCKET_RANGE_PARAMS,
    {"softness", "Edge softness", ParamType::kPercent, 2, 20, 0, 100, {}},
};
constexpr ParamDescriptor kBands[] = {
    SPROCKET_RANGE_PARAMS,
    {"softness", "Edge softness", ParamType::kPercent, 2, 0, 0, 100, {}},
    {"bands", "Bands", ParamType::kInteger, 3, 8, 1, 64, {}},
};
constexpr ParamDescriptor kCells[] = {
    SPROCKET_RANGE_PARAMS,
    {"softness", "Edge softness", ParamType::kPercent, 2, 0, 0, 100, {}},
    {"cells", "Cells across", ParamType::kInteger, 3, 8, 1, 64, {}},
};
constexpr ParamDescriptor kRandomPixels[] = {
    SPROCKET_RANGE_PARAMS,
    {"softness", "Edge softness", ParamType::kPercent, 2, 0, 0, 100, {}},
    {"block", "Block size in pixels", ParamType::kInteger, 3, 1, 1, 128, {}},
    {"seed", "Pattern number", ParamType::kInteger, 4, 1, 0, 65535, {}},
};
constexpr ParamDescriptor kRandomBlockParams[] = {
    SPROCKET_RANGE_PARAMS,
    {"softness", "Edge softness", ParamType::kPercent, 2, 0, 0, 100, {}},
    {"block", "Block size in pixels", ParamType::kInteger, 3, 32, 1, 256, {}},
    {"seed", "Pattern number", ParamType::kInteger, 4, 1, 0, 65535, {}},
};
constexpr ParamDescriptor kRandomBarParams[] = {
    SPROCKET_RANGE_PARAMS,
    {"softness", "Edge softness", ParamType::kPercent, 2, 0, 0, 100, {}},
    {"block", "Bar height in pixels", ParamType::kInteger, 3, 4, 1, 128, {}},
    {"seed", "Pattern number", ParamType::kInteger, 4, 1, 0, 65535, {}},
};
constexpr ParamDescriptor kBlockPath[] = {
    SPROCKET_RANGE_PARAMS,
    {"softness", "Edge softness", ParamType::kPercent, 2, 0, 0, 100, {}},
    {"block", "Block size in pixels", ParamType::kInteger, 3, 80, 8, 512, {}},
};
constexpr ParamDescriptor kLuminanceMap[] = {
    SPROCKET_RANGE_PARAMS,
    {"softness", "Edge softness", ParamType::kPercent, 2, 10, 0, 100, {}},
    {"order", "Order", ParamType::kChoice, 3, 0, 0, 1, "Dark parts first|Bright parts first"},
};
constexpr ParamDescriptor kSoftBands[] = {
    SPROCKET_RANGE_PARAMS,
    {"softness", "Edge softness", ParamType::kPercent, 2, 20, 0, 100, {}},
    {"bands", "Bands", ParamType::kInteger, 3, 6, 1, 64, {}},
};
constexpr ParamDescriptor kSoftSpiralParams[] = {
    SPROCKET_RANGE_PARAMS,
    {"softness", "Edge softness", ParamType::kPercent, 2, 20, 0, 100, {}},
    {"turns", "Turns", ParamType::kInteger, 3, 2, 1, 8, {}},
};
constexpr ParamDescriptor kSoftCloudParams[] = {
    SPROCKET_RANGE_PARAMS,
    {"softness", "Edge softness", ParamType::kPercent, 2, 20, 0, 100, {}},
    {"scale", "Cloud size", ParamType::kPercent, 3, 40, 5, 100, {}},
    {"seed", "Pattern number", ParamType::kInteger, 4, 1, 0, 65535, {}},
};
constexpr ParamDescriptor kSoftStarParams[] = {
    SPROCKET_RANGE_PARAMS,
    {"softness", "Edge softness", ParamType::kPercent, 2, 20, 0, 100, {}},
    {"points", "Points", ParamType::kInteger, 3, 5, 3, 12, {}},
};
constexpr ParamDescriptor kSoftRingParams[] = {
    SPROCKET_RANGE_PARAMS,
    {"softness", "Edge softness", ParamType::kPercent, 2, 20, 0, 100, {}},
    {"rings", "Rings", ParamType::kInteger, 3, 4, 1, 16, {}},
};

#undef SPROCKET_RANGE_PARAMS

constexpr std::uint32_t kWipe = kEffectWipe;
constexpr std::uint32_t kFast = kEffectFastPath;
constexpr std::uint32_t kFastWipe = kEffectWipe | kEffectFastPath;

constexpr EffectDescriptor kTransitions[] = {
    // Dissolves.
    {effect_id::kCrossDissolve, T, kDissolve, "cross_dissolve", "Cross Dissolve",
     "Blends A into B evenly over the whole picture.", kRange, kFast},
    {effect_id::kAdditiveDissolve, T, kDissolve, "additive_dissolve", "Additive Dissolve",
     "Adds B to A and then takes A away: the middle of the transition is brighter.", kRange, 0},
    {effect_id::kDipToBlack, T, kDissolve, "dip_to_black", "Dip to Black",
     "Fades A out to black, then fades B in from black.", kRange, kFast},
    {effect_id::kDipToWhite, T, kDissolve, "dip_to_white", "Dip to White",
     "Fades A out to white, then fades B in from white.", kRange, kFast},
    {effect_id::kRandomDissolve, T, kDissolve, "random_dissolve", "Random Dissolve",
     "B appears in random pixels or blocks until it covers A.", kRandomPixels, kWipe},
    {effect_id::kNonAdditiveDissolve, T, kDissolve, "non_additive_dissolve", "Non-Additive Dissolve",
     "Shows the brighter of the fading A and the rising B at each pixel.", kRange, 0},
    {effect_id::kLuminanceDissolve, T, kDissolve, "luminance_dissolve", "Luminance Dissolve",
     "B appears through A in the order of A's brightness.", kLuminanceMap, kWipe},
    // Edge wipes.
    {effect_id::kWipeLeftToRight, T, kEdgeWipe, "wipe_left_to_right", "Wipe Left to Right",
     "An edge moves from the left to the right and uncovers B.", kHardEdge, kFastWipe},
    {effect_id::kWipeRightToLeft, T, kEdgeWipe, "wipe_right_to_left", "Wipe Right to Left",
     "An edge moves from the right to the left and uncovers B.", kHardEdge, kFastWipe},
    {effect_id::kWipeTopToBottom, T, kEdgeWipe, "wipe_top_to_bottom", "Wipe Top to Bottom",
     "An edge moves from the top down and uncovers B.", kHardEdge, kFastWipe},
    {effect_id::kWipeBottomToTop, T, kEdgeWipe, "wipe_bottom_to_top", "Wipe Bottom to Top",
     "An edge moves from the bottom up and uncovers B.", kHardEdge, kFastWipe},
    {effect_id::kWipeFromTopLeft, T, kEdgeWipe, "wipe_from_top_left", "Diagonal Wipe from Top Left",
     "A diagonal edge moves from the top-left corner to the bottom-right corner.", kHardEdge, kFastWipe},
    {effect_id::kWipeFromTopRight, T, kEdgeWipe, "wipe_from_top_right", "Diagonal Wipe from Top Right",
     "A diagonal edge moves from the top-right corner to the bottom-left corner.", kHardEdge, kFastWipe},
    {effect_id::kWipeFromBottomLeft, T, kEdgeWipe, "wipe_from_bottom_left", "Diagonal Wipe from Bottom Left",
     "A diagonal edge moves from the bottom-left corner to the top-right corner.", kHardEdge, kFastWipe},
    {effect_id::kWipeFromBottomRight, T, kEdgeWipe, "wipe_from_bottom_right", "Diagonal Wipe from Bottom Right",
     "A diagonal edge moves from the bottom-right corner to the top-left corner.", kHardEdge, kFastWipe},
    // Barn doors.
    {effect_id::kBarnDoorOpenHorizontal, T, kBarnDoor, "barn_door_open_horizontal", "Barn Doors Open Sideways",
     "Two edges move apart from the centre to the left and right sides.", kHardEdge, kFastWipe},
    {effect_id::kBarnDoorCloseHorizontal, T, kBarnDoor, "barn_door_close_horizontal", "Barn Doors Close Sideways",
     "Two edges move in from the left and right sides to the centre.", kHardEdge, kFastWipe},
    {effect_id::kBarnDoorOpenVertical, T, kBarnDoor, "barn_door_open_vertical", "Barn Doors Open Up and Down",
     "Two edges move apart from the centre to the top and bottom.", kHardEdge, kFastWipe},
    {effect_id::kBarnDoorCloseVertical, T, kBarnDoor, "barn_door_close_vertical", "Barn Doors Close Up and Down",
     "Two edges move in from the top and bottom to the centre.", kHardEdge, kFastWipe},
    // Iris shapes.
    {effect_id::kIrisBoxOut, T, kIris, "iris_box_out", "Box Out", "A box grows from the centre and shows B.", kHardEdge,
     kWipe},
    {effect_id::kIrisBoxIn, T, kIris, "iris_box_in", "Box In", "A box closes in from the edges and shows B.", kHardEdge,
     kWipe},
    {effect_id::kIrisCircleOut, T, kIris, "iris_circle_out", "Circle Out",
     "A circle grows from the centre and shows B.", kHardEdge, kWipe},
    {effect_id::kIrisCircleIn, T, kIris, "iris_circle_in", "Circle In",
     "A circle closes in from the corners and shows B.", kHardEdge, kWipe},
    {effect_id::kIrisDiamondOut, T, kIris, "iris_diamond_out", "Diamond Out",
     "A diamond grows from the centre and shows B.", kHardEdge, kWipe},
    {effect_id::kIrisDiamondIn, T, kIris, "iris_diamond_in", "Diamond In",
     "A diamond closes in from the edges and shows B.", kHardEdge, kWipe},
    {effect_id::kIrisCrossOut, T, kIris, "iris_cross_out", "Cross Out",
     "A cross grows from the centre lines and shows B.", kHardEdge, kWipe},
    {effect_id::kIrisCrossIn, T, kIris, "iris_cross_in", "Cross In",
     "The four corners grow towards the centre and show B.", kHardEdge, kWipe},
    {effect_id::kIrisStarOut, T, kIris, "iris_star_out", "Star Out", "A five-pointed star grows from the centre.",
     kHardEdge, kWipe},
    // Clock and radial wipes.
    {effect_id::kClockClockwise, T, kClock, "clock_clockwise", "Clock Wipe",
     "A hand sweeps clockwise from twelve o'clock and uncovers B.", kHardEdge, kWipe},
    {effect_id::kClockCounterClockwise, T, kClock, "clock_counter_clockwise", "Counter-Clockwise Clock Wipe",
     "A hand sweeps counter-clockwise from twelve o'clock and uncovers B.", kHardEdge, kWipe},
    {effect_id::kFanFromTop, T, kClock, "fan_from_top", "Fan from Top",
     "A hand pivoting at the top centre sweeps from left to right.", kHardEdge, kWipe},
    {effect_id::kFanFromBottom, T, kClock, "fan_from_bottom", "Fan from Bottom",
     "A hand pivoting at the bottom centre sweeps from left to right.", kHardEdge, kWipe},
    {effect_id::kDoubleFan, T, kClock, "double_fan", "Double Clock Wipe",
     "Two opposite hands sweep clockwise from the centre.", kHardEdge, kWipe},
    {effect_id::kRadialFromCorner, T, kClock, "radial_from_corner", "Radial Wipe from Corner",
     "A hand pivoting at the bottom-left corner sweeps from the bottom edge to the left edge.", kHardEdge, kWipe},
    // Patterns.
    {effect_id::kBlindsHorizontal, T, kPattern, "blinds_horizontal", "Horizontal Blinds",
     "B appears through horizontal slats that open downwards.", kBands, kWipe},
    {effect_id::kBlindsVertical, T, kPattern, "blinds_vertical", "Vertical Blinds",
     "B appears through vertical slats that open to the right.", kBands, kWipe},
    {effect_id::kCheckerboard, T, kPattern, "checkerboard", "Checkerboard",
     "B wipes into the squares of one colour of a checkerboard, then into the others.", kCells, kWipe},
    {effect_id::kRandomBlocks, T, kPattern, "random_blocks", "Random Blocks",
     "B appears in square blocks in random order.", kRandomBlockParams, kWipe},
    {effect_id::kZigZagBlocks, T, kPattern, "zig_zag_blocks", "Zig-Zag Blocks",
     "B fills rows of blocks from the top, left to right and back again.", kBlockPath, kWipe},
    {effect_id::kSpiralBoxes, T, kPattern, "spiral_boxes", "Spiral Boxes",
     "B fills blocks in a spiral from the outside to the centre.", kBlockPath, kWipe},
    {effect_id::kDiagonalBlinds, T, kPattern, "diagonal_blinds", "Diagonal Blinds", "B appears through diagonal slats.",
     kBands, kWipe},
    {effect_id::kRandomBars, T, kPattern, "random_bars", "Random Bars", "B appears in horizontal bars in random order.",
     kRandomBarParams, kWipe},
    // Push.
    {60, T, kPush, "push_left", "Push Left", "B pushes A out to the left.", kRange, kFastWipe},
    {61, T, kPush, "push_right", "Push Right", "B pushes A out to the right.", kRange, kFastWipe},
    {62, T, kPush, "push_up", "Push Up", "B pushes A out through the top.", kRange, kFastWipe},
    {63, T, kPush, "push_down", "Push Down", "B pushes A out through the bottom.", kRange, kFastWipe},
    {64, T, kPush, "push_up_left", "Push Up and Left", "B pushes A out through the top-left corner.", kRange,
     kFastWipe},
    {65, T, kPush, "push_up_right", "Push Up and Right", "B pushes A out through the top-right corner.", kRange,
     kFastWipe},
    {66, T, kPush, "push_down_left", "Push Down and Left", "B pushes A out through the bottom-left corner.", kRange,
     kFastWipe},
    {67, T, kPush, "push_down_right", "Push Down and Right", "B pushes A out through the bottom-right corner.", kRange,
     kFastWipe},
    // Slide.
    {70, T, kSlide, "slide_left", "Slide Left", "B slides in over A from the right.", kRange, kFastWipe},
    {71, T, kSlide, "slide_right", "Slide Right", "B slides in over A from the left.", kRange, kFastWipe},
    {72, T, kSlide, "slide_up", "Slide Up", "B slides in over A from the bottom.", kRange, kFastWipe},
    {73, T, kSlide, "slide_down", "Slide Down", "B slides in over A from the top.", kRange, kFastWipe},
    {74, T, kSlide, "slide_up_left", "Slide Up and Left", "B slides in over A from the bottom-right corner.", kRange,
     kFastWipe},
    {75, T, kSlide, "slide_up_right", "Slide Up and Right", "B slides in over A from the bottom-left corner.", kRange,
     kFastWipe},
    {76, T, kSlide, "slide_down_left", "Slide Down and Left", "B slides in over A from the top-right corner.", kRange,
     kFastWipe},
    {77, T, kSlide, "slide_down_right", "Slide Down and Right", "B slides in over A from the top-left corner.", kRange,
     kFastWipe},
    // Uncover.
    {80, T, kUncover, "uncover_left", "Uncover Left", "A slides off to the left and uncovers B.", kRange, kFastWipe},
    {81, T, kUncover, "uncover_right", "Uncover Right", "A slides off to the right and uncovers B.", kRange, kFastWipe},
    {82, T, kUncover, "uncover_up", "Uncover Up", "A slides off through the top and uncovers B.", kRange, kFastWipe},
    {83, T, kUncover, "uncover_down", "Uncover Down", "A slides off through the bottom and uncovers B.", kRange,
     kFastWipe},
    // Corner wipes.
    {90, T, kCornerWipe, "corner_top_left", "Corner Wipe from Top Left",
     "A box grows from the top-left corner and shows B.", kHardEdge, kFastWipe},
    {91, T, kCornerWipe, "corner_top_right", "Corner Wipe from Top Right",
     "A box grows from the top-right corner and shows B.", kHardEdge, kFastWipe},
    {92, T, kCornerWipe, "corner_bottom_left", "Corner Wipe from Bottom Left",
     "A box grows from the bottom-left corner and shows B.", kHardEdge, kFastWipe},
    {93, T, kCornerWipe, "corner_bottom_right", "Corner Wipe from Bottom Right",
     "A box grows from the bottom-right corner and shows B.", kHardEdge, kFastWipe},
    // Zoom and stretch.
    {effect_id::kZoomInB, T, kZoom, "zoom_in_b", "Zoom In",
     "B grows from a point at the centre to the whole picture over A.", kRange, kWipe},
    {effect_id::kZoomOutA, T, kZoom, "zoom_out_a", "Zoom Out", "A shrinks to a point at the centre and shows B.",
     kRange, kWipe},
    {effect_id::kCrossZoom, T, kZoom, "cross_zoom", "Cross Zoom",
     "A zooms in while it dissolves into B, which settles from a close-up.", kRange, 0},
    {effect_id::kStretchHorizontal, T, kZoom, "stretch_horizontal", "Stretch In Sideways",
     "B stretches out sideways from the centre line over A.", kRange, kWipe},
    {effect_id::kStretchVertical, T, kZoom, "stretch_vertical", "Stretch In Up and Down",
     "B stretches out up and down from the centre line over A.", kRange, kWipe},
    {effect_id::kSqueeze, T, kZoom, "squeeze", "Squeeze",
     "A is squeezed to the left while B widens from the right edge.", kRange, kWipe},
    // Soft wipes through grey maps.
    {effect_id::kSoftLeftToRight, T, kSoftWipe, "soft_left_to_right", "Soft Wipe Left to Right",
     "A soft edge moves from the left to the right.", kSoftEdge, kWipe},
    {effect_id::kSoftTopToBottom, T, kSoftWipe, "soft_top_to_bottom", "Soft Wipe Top to Bottom",
     "A soft edge moves from the top down.", kSoftEdge, kWipe},
    {effect_id::kSoftDiagonal, T, kSoftWipe, "soft_diagonal", "Soft Diagonal Wipe",
     "A soft diagonal edge moves from the top-left corner.", kSoftEdge, kWipe},
    {effect_id::kSoftCircle, T, kSoftWipe, "soft_circle", "Soft Circle",
     "A circle with a soft rim grows from the centre.", kSoftEdge, kWipe},
    {effect_id::kSoftClock, T, kSoftWipe, "soft_clock", "Soft Clock Wipe",
     "A soft-edged hand sweeps clockwise from twelve o'clock.", kSoftEdge, kWipe},
    {effect_id::kSoftDiamond, T, kSoftWipe, "soft_diamond", "Soft Diamond",
     "A diamond with a soft rim grows from the centre.", kSoftEdge, kWipe},
    {effect_id::kSoftBlinds, T, kSoftWipe, "soft_blinds", "Soft Blinds",
     "B appears through horizontal slats with soft edges.", kSoftBands, kWipe},
    {effect_id::kSoftSpiral, T, kSoftWipe, "soft_spiral", "Soft Spiral",
     "B spirals out from the centre with a soft edge.", kSoftSpiralParams, kWipe},
    {effect_id::kSoftClouds, T, kSoftWipe, "soft_clouds", "Clouds", "B appears through drifting cloud shapes.",
     kSoftCloudParams, kWipe},
    {effect_id::kSoftStar, T, kSoftWipe, "soft_star", "Soft Star", "A star with a soft rim grows from the centre.",
     kSoftStarParams, kWipe},
    {effect_id::kSoftRings, T, kSoftWipe, "soft_rings", "Rings", "Concentric rings open from their inner edges.",
     kSoftRingParams, kWipe},
    {effect_id::kGreyMapWipe, T, kSoftWipe, "grey_map_wipe", "Grey Map Wipe",
     "B appears in the order of the grey levels of a picture (B's own brightness when none is given).", kLuminanceMap,
     kWipe | kEffectUsesPicture},
    // Effect sequence.
    {effect_id::kEffectSequence, T, kSequence, "effect_sequence", "Effect Sequence",
     "Runs the transitions that follow it one after the other, each over an equal part of the time.", kRange, 0},
};

static_assert(std::size(kTransitions) == kStockTransitionRows,
              "every transition of the catalogue has one row in the stock transition table");

constexpr std::array<StockTransitionRow, kStockTransitionRows> MakeStockRows() {
  std::array<StockTransitionRow, kStockTransitionRows> rows{};
  for (std::int32_t i = 0; i < kStockTransitionRows; ++i) {
    const EffectDescriptor& effect = kTransitions[i];
    rows[static_cast<std::size_t>(i)] = StockTransitionRow{
        effect.id,
        effect.Has(kEffectFastPath) ? 1 : 0,
        kStockTitleStringBase + i,
        kStockDescriptionStringBase + i,
        kStockBitmapResourceBase + i,
    };
  }
  return rows;
}

constexpr std::array<StockTransitionRow, kStockTransitionRows> kStockRows = MakeStockRows();

}  // namespace

namespace catalog_detail {
std::span<const EffectDescriptor> Transitions() { return kTransitions; }
}  // namespace catalog_detail

std::span<const StockTransitionRow, kStockTransitionRows> StockTransitionTable() { return kStockRows; }

}  // namespace sprocket
