#pragma once
// The pictures the view keeps in a clip's slots (thumbnail or film strip,
// waveform of each channel, transition icon), with the size and time of the
// media file they were made from, so a changed file gets new pictures.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/qt/dc_types.h"
#include "render/picture/dib_picture.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

// What a media file was when a picture was made of it; a missing file has
// size -1.
struct FileStamp {
  std::int64_t size = -1;
  std::int64_t modified = 0;
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::string& path);

class ViewClipBitmap final : public ClipBitmap {
public:
  ViewClipBitmap(dc::Bitmap picture, FileStamp source, std::int32_t first = 0)
      : bitmap(std::move(picture)), stamp(source), firstFrame(first) {}
  std::unique_ptr<ClipBitmap> Clone() const override {
    auto copy = std::make_unique<ViewClipBitmap>(bitmap.Copy(), stamp, firstFrame);
    copy->firstColumn = firstColumn;
    return copy;
  }

  dc::Bitmap bitmap;
  FileStamp stamp;
  // A film strip holds the frames from this index on (frame k lies k
  // picture widths right of the clip's left edge).
  std::int32_t firstFrame = 0;
  // A waveform of a clip wider than a bitmap holds the columns from this x
  // (from the clip's left edge) on, at the scale of the view.
  std::int32_t firstColumn = 0;
};

// The view's picture in a slot, or null.
const ViewClipBitmap* ViewBitmapOf(const ClonePtr<ClipBitmap>& slot);
// A new slot value holding the picture.
std::unique_ptr<ClipBitmap> MakeClipBitmap(dc::Bitmap picture, FileStamp source = {}, std::int32_t firstFrame = 0);

// A 24-bit packed picture as a bitmap (null for other depths or a short
// block).
dc::Bitmap BitmapFromDib(const DibPicture& picture);

// An independent copy of a bitmap (the copy of a clip gets its own).
dc::Bitmap CopyBitmap(const dc::Bitmap& bitmap);

}  // namespace sprocket
