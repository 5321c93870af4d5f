#pragma once
// The timeline view's pictures, drawn in code: the track row brushes and
// header bitmaps of every vertical zoom level, the header icons, the
// position marker, the band handles, the scale knob, the sprocket patterns
// and the four clip-kind pictures. No picture file is read.

#include <array>

#include "platform/qt/dc_types.h"

namespace sprocket {

inline constexpr int kZoomLevels = 4;

// Resource ids of the pictures the view draws by id.
inline constexpr int kIconTrackStatus = 323;
inline constexpr int kIconAudioPreview = 380;
inline constexpr int kIconAudioPreviewBoard = 382;
inline constexpr int kBitmapPositionMarker = 383;

// The brushes and header bitmaps of one vertical zoom level.
struct ZoomResources {
  dc::Brush videoBrush1;
  dc::Brush videoBrush2;
  dc::Brush transitionBrush;
  dc::Brush audioBrush1;
  dc::Brush audioBrush2;
  dc::Bitmap videoHeader;
  dc::Bitmap audioHeader;
  dc::Bitmap transitionHeader;
  const dc::Bitmap& HeaderFor(char trackType) const;
};

// The kinds of clip with a picture of their own.
enum class ClipKind { kAvi, kFlic, kOther, kStill };

struct ViewResources {
  std::array<ZoomResources, kZoomLevels> zoom;
  dc::Icon trackStatusIcon;        // 323
  dc::Icon audioPreviewIcon;       // 380
  dc::Icon audioPreviewBoardIcon;  // 382
  dc::Bitmap positionMarker;       // 383, 7 x 15 used
  dc::Bitmap intermediateStartHandle;
  dc::Bitmap intermediateEndHandle;
  dc::Bitmap movieStartHandle;
  dc::Bitmap movieEndHandle;
  dc::Bitmap scaleKnob;
  std::array<dc::Bitmap, 3> sprocketPatterns;
  std::array<dc::Bitmap, 4> clipKindPictures;  // by ClipKind

  // The bitmap with a resource id (null for an unknown id).
  const dc::Bitmap* BitmapById(int id) const;
  const dc::Icon* IconById(int id) const;
};

// Every picture, for a header column `headerWidth` wide and the row heights
// of the four zoom levels.
ViewResources MakeViewResources(int headerWidth, const std::array<int, kZoomLevels>& rowHeights);

}  // namespace sprocket
