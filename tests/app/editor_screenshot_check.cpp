// check_editor_screenshot SCREENSHOT.png TIMELINE.tle
//
// Finds the timeline view in a screenshot of the editor and checks that it
// shows the timeline where the document's geometry puts it: the ruler's
// major ticks and labels, a header with a label for every track, and every
// clip as a framed body of its track's clip colour in the track's first row. Prints what is
// wrong; exit status 0 when everything is in place, 1 when not, 2 when the
// view is not on the screen at all.

#include <QImage>
#include <cstdio>
#include <optional>
#include <string>

#include "timeline/document/document.h"
#include "timeline/records/event_queries.h"
#include "timeline/tlefile/timeline_file.h"

namespace {

using sprocket::CTestDoc;
using sprocket::TLEvent;

bool Is(const QImage& image, int x, int y, QRgb colour) {
  return image.rect().contains(x, y) && (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
}

int Count(const QImage& image, int left, int top, int right, int bottom, QRgb colour) {
  int count = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) count += Is(image, x, y, colour) ? 1 : 0;
  return count;
}

// The view's top-left corner: the scale control is a silver box from
// (M + 1, M + 1) to (X0, M + 3B), with the black frame line at x = M.
std::optional<QPoint> FindView(const QImage& image, const CTestDoc& doc) {
  const QRgb silver = qRgb(192, 192, 192);
  const int m = doc.margin;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 1; x < image.width(); ++x) {
      if (!Is(image, x, y, silver) || !Is(image, x - 1, y + 1, qRgb(0, 0, 0))) continue;
      if (!Is(image, x + doc.headerWidth - 2, y, silver) || !Is(image, x + 1, y + 3 * doc.bandHeight - 2, silver))
        continue;
      return QPoint(x - m - 1, y - m - 1);
    }
  }
  return std::nullopt;
}

struct Checker {
  const QImage& image;
  const CTestDoc& doc;
  QPoint origin;
  int failures = 0;

  void Fail(const std::string& what) {
    std::fprintf(stderr, "check_editor_screenshot: %s\n", what.c_str());
    ++failures;
  }
  bool At(int x, int y, QRgb colour) const { return Is(image, origin.x() + x, origin.y() + y, colour); }
  int CountIn(int left, int top, int right, int bottom, QRgb colour) const {
    return Count(image, origin.x() + left, origin.y() + top, origin.x() + right, origin.y() + bottom, colour);
  }

  void Ruler() {
    const QRgb black = qRgb(0, 0, 0);
    const int x0 = doc.TrackAreaLeft();
    const int tickTop = doc.margin + 3 * doc.bandHeight + 1;
    for (int i = 1; i < doc.majorTickCount; ++i) {
      const int x = x0 + i * doc.pixelsPerUnit;
      if (!At(x, tickTop, black) || !At(x, tickTop + doc.majorTickLength - 1, black))
        Fail("no major tick " + std::to_string(i) + " at x " + std::to_string(x));
      if (i % 2 == 0 && CountIn(x - 20, doc.TrackAreaTop() - 12, x + 20, doc.TrackAreaTop(), black) < 10)
        Fail("no time-code label under tick " + std::to_string(i));
    }
  }

  void HeadersAndClips() {
    const int h = doc.RowHeight();
    const int m = doc.margin;
    for (const TLEvent* track = GetNextEvent(doc.Head()); track && track->kind == sprocket::kEventTrackBegin;
         track = GetNextEvent(track)) {
      const int top = doc.TrackAreaTop() + GetTrackTop(doc, track->trackNumber - 1);
      const std::string name = "track " + std::to_string(track->trackNumber);
      if (!At(m, top + h / 2, qRgb(0, 0, 0))) Fail(name + ": no header frame");
      if (CountIn(m + 1, top + 1, m + doc.headerWidth, top + h, qRgb(255, 255, 255)) < 8)
        Fail(name + ": no white label in the header");
    }
    for (const TLEvent* clip = doc.Head(); clip != nullptr; clip = GetNextEvent(clip)) {
      if (!clip->IsClipIn()) continue;
      const int top = doc.TrackAreaTop() + GetTrackTop(doc, clip->trackNumber - 1);
      const int left = doc.TimeToX(clip->time);
      const int right = doc.TimeToX(clip->OutTime());
      const std::string name =
          "clip at " + std::to_string(clip->time) + " on track " + std::to_string(clip->trackNumber);
      // The clip's body: its left and right edges framed in black, and its
      // track's body colour over a good part of it (pictures, labels and
      // envelope lines cover the rest).
      const int bodyTop = top + 2;
      const int bodyBottom = top + h - 1;
      const int rows = bodyBottom - bodyTop;
      if (CountIn(left, bodyTop, left + 1, bodyBottom, qRgb(0, 0, 0)) < rows / 2 ||
          CountIn(right - 1, bodyTop, right, bodyBottom, qRgb(0, 0, 0)) < rows / 2)
        Fail(name + ": no frame at x " + std::to_string(left) + ".." + std::to_string(right - 1));
      const TLEvent* track = sprocket::FindTrack(doc.Head(), clip->trackNumber);
      const QRgb colour = track == nullptr || track->trackType == sprocket::kTrackVideo ? qRgb(79, 82, 142)
                          : track->trackType == sprocket::kTrackAudio                   ? qRgb(20, 110, 93)
                                                                                        : qRgb(118, 74, 125);
      const int body = CountIn(left + 1, bodyTop + 1, right - 1, bodyBottom - 1, colour);
      if (body < (right - left - 2) * (rows - 2) / 10) Fail(name + ": not drawn in its track's clip colour");
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: check_editor_screenshot SCREENSHOT.png TIMELINE.tle\n");
    return 2;
  }
  QImage image(QString::fromLocal8Bit(argv[1]));
  if (image.isNull()) {
    std::fprintf(stderr, "check_editor_screenshot: cannot read %s\n", argv[1]);
    return 2;
  }
  image = image.convertToFormat(QImage::Format_RGB32);
  CTestDoc doc;
  std::string error;
  if (!sprocket::ReadTimelineFile(argv[2], doc, &error)) {
    std::fprintf(stderr, "check_editor_screenshot: %s\n", error.c_str());
    return 2;
  }
  doc.RecalcScale();
  const std::optional<QPoint> origin = FindView(image, doc);
  if (!origin) {
    std::fprintf(stderr, "check_editor_screenshot: no timeline view on the screen\n");
    return 2;
  }
  Checker checker{image, doc, *origin};
  checker.Ruler();
  checker.HeadersAndClips();
  if (checker.failures == 0) std::printf("timeline view at (%d, %d) shows the timeline\n", origin->x(), origin->y());
  return checker.failures == 0 ? 0 : 1;
}
