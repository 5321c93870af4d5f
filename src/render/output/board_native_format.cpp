#include "render/output/board_native_format.h"

#include "platform/settings_store.h"
#include "timeline/basics/time_code.h"

namespace sprocket {

namespace {

inline constexpr std::int32_t kDefaultBoardRate = 2997;

std::uint32_t FourccOf(char a, char b, char c, char d) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(a)) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(d)) << 24;
}

}  // namespace

std::int32_t RecordRateHundredths(const MovieSettings& record) {
  return static_cast<std::int32_t>(static_cast<double>(record.VFramesPerSec) * 100.0 + 0.5);
}

bool IsBoardNativeRecord(const MovieSettings& record) {
  if (record.CompressionFourcc() != FourccOf('C', 'F', 'C', 'C')) return false;
  if (record.VResWidth != 720) return false;
  const std::int32_t rate = RecordRateHundredths(record);
  return (record.VResHeight == 480 && rate == 2997) || (record.VResHeight == 576 && rate == 2500);
}

bool IsBoardNativeFormat(PlatformFamily family, const ApplicationState& app, bool either, bool preview) {
  if (family != PlatformFamily::kWorkstation) return false;
  const bool movieNative = IsBoardNativeRecord(app.movie);
  const bool previewNative = IsBoardNativeRecord(app.preview);
  if (either && (movieNative || previewNative)) return true;
  return preview ? previewNative : movieNative;
}

bool IsBoardNativeFormat(bool either, bool preview) {
  return IsBoardNativeFormat(GetPlatformFamily(AppProfile()), TheApp(), either, preview);
}

std::int32_t BoardRate(const ApplicationState& app, bool preview) {
  const MovieSettings& record = app.Settings(preview);
  return IsBoardNativeRecord(record) ? RecordRateHundredths(record) : kDefaultBoardRate;
}

bool HoldsSnappedTimes(const ApplicationState& app) { return app.savedRanges != nullptr; }

void SnapTimesToBoardRate(CTestDoc& doc, ApplicationState& app, bool preview) {
  const std::int32_t boardRate = BoardRate(app, preview);
  if (doc.rate == boardRate || HoldsSnappedTimes(app)) return;

  app.savedRanges = std::make_unique<std::array<std::int32_t, 4>>(std::array<std::int32_t, 4>{
      doc.movieRange.start, doc.movieRange.end, doc.previewRange.start, doc.previewRange.end});
  for (std::int32_t* time :
       {&doc.movieRange.start, &doc.movieRange.end, &doc.previewRange.start, &doc.previewRange.end}) {
    *time = SnapToFrame(*time, boardRate);
  }

  TLEvent* head = doc.Head();
  if (head == nullptr) return;
  for (TLFilter& segment : head->segments) {
    segment.savedSpan = std::array<std::int32_t, 2>{segment.start, segment.end};
    segment.start = SnapToFrame(segment.start, boardRate);
    segment.end = SnapToFrame(segment.end, boardRate);
    segment.length = segment.end - segment.start;
  }
  for (TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
    if (!event->IsClipIn()) continue;
    TLEvent* out = event->ClipOut();
    event->savedTimes = std::array<std::int32_t, 4>{event->time, event->OutTime(), event->playIn, event->playOut};
    event->time = SnapToFrame(event->time, boardRate);
    if (out != nullptr) out->time = SnapToFrame(out->time, boardRate);
    event->playIn = SnapToFrame(event->playIn, boardRate);
    event->playOut = SnapToFrame(event->playOut, boardRate);
  }
}

void RestoreSnappedTimes(CTestDoc& doc, ApplicationState& app, bool /*preview*/) {
  // Everything that was kept is put back, whatever the settings say now:
  // a snapshot must never be stranded.
  if (app.savedRanges) {
    const std::array<std::int32_t, 4>& saved = *app.savedRanges;
    doc.movieRange = {saved[0], saved[1]};
    doc.previewRange = {saved[2], saved[3]};
    app.savedRanges.reset();
  }
  TLEvent* head = doc.Head();
  if (head == nullptr) return;
  for (TLFilter& segment : head->segments) {
    if (!segment.savedSpan) continue;
    segment.start = (*segment.savedSpan)[0];
    segment.end = (*segment.savedSpan)[1];
    segment.length = segment.end - segment.start;
    segment.savedSpan.reset();
  }
  for (TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
    if (!event->IsClipIn() || !event->savedTimes) continue;
    const std::array<std::int32_t, 4>& saved = *event->savedTimes;
    event->time = saved[0];
    if (TLEvent* out = event->ClipOut()) out->time = saved[1];
    event->playIn = saved[2];
    event->playOut = saved[3];
    event->savedTimes.reset();
  }
}

BoardRateSnap::BoardRateSnap(CTestDoc& doc, ApplicationState& app, bool preview, bool markHead) {
  Snap(doc, app, preview, markHead);
}

void BoardRateSnap::Snap(CTestDoc& doc, ApplicationState& app, bool preview, bool markHead) {
  if (doc_ != nullptr) return;
  SnapTimesToBoardRate(doc, app, preview);
  doc_ = &doc;
  app_ = &app;
  preview_ = preview;
  markHead_ = markHead;
  if (markHead_ && doc.Head() != nullptr) doc.Head()->boardRateSnapped = 1;
}

void BoardRateSnap::Restore() {
  if (doc_ == nullptr) return;
  RestoreSnappedTimes(*doc_, *app_, preview_);
  if (markHead_ && doc_->Head() != nullptr) doc_->Head()->boardRateSnapped = 0;
  doc_ = nullptr;
  app_ = nullptr;
}

}  // namespace sprocket
