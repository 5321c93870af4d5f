#include "tleview/view_resources.h"

#include <QPainter>
#include <algorithm>
#include <string_view>

namespace sprocket {

namespace {

using dc::Bitmap;
using dc::Rgb;

Rgb Shade(Rgb base, int delta) {
  auto channel = [delta](int v) { return static_cast<std::uint8_t>(std::clamp(v + delta, 0, 255)); };
  return Rgb{channel(base.r), channel(base.g), channel(base.b)};
}

// An 8 x 8 tile of a base colour with a fine upright grain; deeper zoom
// levels (smaller rows) are a little darker. Every row of the tile is the
// same, so a vertical scroll that moves the rows past the pattern (fixed to
// the track area) shows the same picture as a fresh paint.
dc::Brush GrainBrush(Rgb base, int zoomLevel) {
  Bitmap tile(8, 8, base);
  const Rgb level = Shade(base, -6 * zoomLevel);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const int grain = (x * 3) % 8;
      tile.Image().setPixel(x, y, Shade(level, grain == 0 ? 14 : (grain == 4 ? -10 : 0)).ToQRgb());
    }
  }
  return dc::Brush::Pattern(tile);
}

// A header: a dark vertical gradient of the type's tint with a 1-pixel
// bevel, as tall as the three rows of a stereo video track.
Bitmap HeaderBitmap(int width, int height, Rgb tint) {
  Bitmap bitmap(width, height, tint);
  QImage& image = bitmap.Image();
  for (int y = 0; y < height; ++y) {
    const Rgb row = Shade(tint, -(y * 40) / std::max(height, 1));
    for (int x = 0; x < width; ++x) image.setPixel(x, y, row.ToQRgb());
  }
  for (int x = 0; x < width; ++x) image.setPixel(x, 0, Shade(tint, 60).ToQRgb());
  for (int y = 0; y < height; ++y) image.setPixel(0, y, Shade(tint, 60).ToQRgb());
  return bitmap;
}

// A small picture from rows of characters: '.' leaves the background, other
// characters take their colour from `palette` (character, colour) pairs.
struct PaletteEntry {
  char key;
  QRgb colour;
};
QImage PixelArt(std::initializer_list<std::string_view> rows, std::initializer_list<PaletteEntry> palette,
                QRgb background, QImage::Format format = QImage::Format_RGB32) {
  const int height = static_cast<int>(rows.size());
  const int width = static_cast<int>(rows.begin()->size());
  QImage image(width, height, format);
  image.fill(background);
  int y = 0;
  for (std::string_view row : rows) {
    for (int x = 0; x < width && x < static_cast<int>(row.size()); ++x) {
      for (const PaletteEntry& entry : palette)
        if (entry.key == row[x]) image.setPixel(x, y, entry.colour);
    }
    ++y;
  }
  return image;
}

Bitmap PositionMarker() {
  return Bitmap(PixelArt({"RRRRRRR", "RRRRRRR", "RRRRRRR", "RRRRRRR", ".RRRRR.", "..RRR..", "...R...", "...R...",
                          "...R...", "...R...", "...R...", "...R...", "...R...", "...R...", "...R..."},
                         {{'R', qRgb(255, 0, 0)}}, qRgb(255, 255, 255)));
}

Bitmap Handle(bool start, QRgb colour) {
  if (start) {
    return Bitmap(PixelArt({"HHHH", "H...", "H...", "H...", "H...", "H...", "H...", "H...", "HHHH"}, {{'H', colour}},
                           qRgb(255, 255, 255)));
  }
  return Bitmap(PixelArt({"HHHH", "...H", "...H", "...H", "...H", "...H", "...H", "...H", "HHHH"}, {{'H', colour}},
                         qRgb(255, 255, 255)));
}

Bitmap ScaleKnob() {
  return Bitmap(PixelArt({"....D....", "...DGD...", "..DGGGD..", ".DGGGGGD.", "DGGGGGGGD", "DGGGGGGGD", "DGGGGGGGD",
                          "DGGGGGGGD", "DGGGGGGGD", "DDDDDDDDD"},
                         {{'D', qRgb(64, 64, 64)}, {'G', qRgb(160, 160, 160)}}, qRgb(192, 192, 192)));
}

Bitmap SprocketPattern(int holeTop, int holeRows, int holeWidth) {
  Bitmap tile(8, 8, dc::kBlack);
  const int left = (8 - holeWidth) / 2;
  for (int y = holeTop; y < holeTop + holeRows; ++y)
    for (int x = left; x < left + holeWidth; ++x) tile.Image().setPixel(x, y, qRgb(200, 200, 200));
  return tile;
}

QImage NewIcon() {
  QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

dc::Icon StatusIcon() {
  QImage image = NewIcon();
  QPainter painter(&image);
  painter.setPen(QColor(120, 70, 0));
  painter.setBrush(QColor(255, 180, 0));
  painter.drawEllipse(0, 0, 14, 14);
  painter.fillRect(6, 3, 3, 6, QColor(40, 20, 0));
  painter.fillRect(6, 10, 3, 2, QColor(40, 20, 0));
  return dc::Icon(image);
}

dc::Icon SpeakerIcon(bool board) {
  QImage image = NewIcon();
  QPainter painter(&image);
  const QColor body(20, 20, 20);
  painter.fillRect(1, 5, 4, 5, body);
  const QPoint cone[] = {QPoint(5, 5), QPoint(10, 1), QPoint(10, 14), QPoint(5, 10)};
  painter.setPen(body);
  painter.setBrush(body);
  painter.drawPolygon(cone, 4);
  painter.setPen(QColor(0, 160, 0));
  painter.drawLine(12, 4, 12, 11);
  if (board) painter.fillRect(11, 11, 5, 5, QColor(0, 90, 200));
  return dc::Icon(image);
}

QImage ClipKindPicture(ClipKind kind) {
  QImage image(32, 24, QImage::Format_RGB32);
  QPainter painter(&image);
  switch (kind) {
    case ClipKind::kAvi:  // a film frame with perforations
    case ClipKind::kOther:
      image.fill(qRgb(30, 30, 30));
      for (int x = 2; x < 32; x += 6) {
        painter.fillRect(x, 1, 3, 3, QColor(230, 230, 230));
        painter.fillRect(x, 20, 3, 3, QColor(230, 230, 230));
      }
      painter.fillRect(4, 6, 24, 12, kind == ClipKind::kAvi ? QColor(70, 130, 220) : QColor(150, 150, 150));
      if (kind == ClipKind::kOther) {
        painter.setPen(QColor(255, 255, 255));
        painter.drawText(QRect(4, 6, 24, 12), Qt::AlignCenter, QStringLiteral("?"));
      }
      break;
    case ClipKind::kFlic:  // stacked frames
      image.fill(qRgb(240, 240, 240));
      for (int i = 0; i < 3; ++i) {
        painter.setPen(QColor(40, 40, 40));
        painter.setBrush(QColor(200 - 40 * i, 120, 60 + 50 * i));
        painter.drawRect(2 + 5 * i, 2 + 4 * i, 18, 12);
      }
      break;
    case ClipKind::kStill:  // hills and a sun
      image.fill(qRgb(150, 200, 255));
      painter.setPen(Qt::NoPen);
      painter.setBrush(QColor(255, 210, 0));
      painter.drawEllipse(21, 3, 7, 7);
      painter.setBrush(QColor(40, 150, 50));
      painter.drawEllipse(-6, 13, 26, 20);
      painter.drawEllipse(12, 15, 28, 20);
      break;
  }
  return image;
}

}  // namespace

const dc::Bitmap& ZoomResources::HeaderFor(char trackType) const {
  if (trackType == 'A') return audioHeader;
  if (trackType == 'X') return transitionHeader;
  return videoHeader;
}

const dc::Bitmap* ViewResources::BitmapById(int id) const {
  if (id == kBitmapPositionMarker) return &positionMarker;
  return nullptr;
}

const dc::Icon* ViewResources::IconById(int id) const {
  switch (id) {
    case kIconTrackStatus:
      return &trackStatusIcon;
    case kIconAudioPreview:
      return &audioPreviewIcon;
    case kIconAudioPreviewBoard:
      return &audioPreviewBoardIcon;
    default:
      return nullptr;
  }
}

ViewResources MakeViewResources(int headerWidth, const std::array<int, kZoomLevels>& rowHeights) {
  ViewResources resources;
  const Rgb video{84, 96, 140};
  const Rgb transition{128, 92, 128};
  const Rgb audio{92, 120, 100};
  for (int z = 0; z < kZoomLevels; ++z) {
    ZoomResources& level = resources.zoom[z];
    level.videoBrush1 = GrainBrush(video, z);
    level.videoBrush2 = GrainBrush(Shade(video, 24), z);
    level.transitionBrush = GrainBrush(transition, z);
    level.audioBrush1 = GrainBrush(audio, z);
    level.audioBrush2 = GrainBrush(Shade(audio, 24), z);
    const int height = 3 * rowHeights[z] + 2;
    level.videoHeader = HeaderBitmap(headerWidth, height, Rgb{40, 56, 110});
    level.audioHeader = HeaderBitmap(headerWidth, height, Rgb{36, 96, 60});
    level.transitionHeader = HeaderBitmap(headerWidth, height, Rgb{100, 50, 100});
  }
  resources.trackStatusIcon = StatusIcon();
  resources.audioPreviewIcon = SpeakerIcon(false);
  resources.audioPreviewBoardIcon = SpeakerIcon(true);
  resources.positionMarker = PositionMarker();
  resources.intermediateStartHandle = Handle(true, qRgb(0, 110, 120));
  resources.intermediateEndHandle = Handle(false, qRgb(0, 110, 120));
  resources.movieStartHandle = Handle(true, qRgb(170, 110, 0));
  resources.movieEndHandle = Handle(false, qRgb(170, 110, 0));
  resources.scaleKnob = ScaleKnob();
  resources.sprocketPatterns = {SprocketPattern(3, 3, 4), SprocketPattern(2, 3, 4), SprocketPattern(3, 2, 2)};
  for (ClipKind kind : {ClipKind::kAvi, ClipKind::kFlic, ClipKind::kOther, ClipKind::kStill})
    resources.clipKindPictures[static_cast<int>(kind)] = Bitmap(ClipKindPicture(kind));
  return resources;
}

}  // namespace sprocket
