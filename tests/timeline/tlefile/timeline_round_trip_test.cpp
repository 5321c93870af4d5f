// Every timeline the program writes reads back to the same document: random
// documents are written, read and written again.

#include <gtest/gtest.h>

#include <random>

#include "temp_dir.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/clip_factory.h"
#include "timeline/document/event_edits.h"
#include "timeline/document/event_list_dump.h"
#include "timeline/document/render_segments.h"
#include "timeline/document/render_timelines.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"
#include "timeline/tlefile/timeline_file.h"

namespace sprocket {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();

// Documents of every kind of value a timeline file holds, drawn from a
// seeded generator. They keep what the editor keeps after every edit:
// render segments split at the clips' edges (the reader splits them again),
// transition clips whose first filter is their transition, rendered files
// that exist.
class RandomDocument {
public:
  RandomDocument(std::uint32_t seed, const TempDir& dir) : random_(seed), dir_(dir) {}

  void Fill(CTestDoc& doc) {
    const std::int32_t rate = Pick<std::int32_t>({2997, 2500, 3000, 1500, 6000, 100, 12000});
    const std::int32_t duration = Int(1000, 3600000);
    doc.ReplaceTimeline(NewTimeline(rate, duration));
    doc.rate = rate;
    TLEvent* head = doc.Head();
    doc.trackCount = Int(1, 8);
    for (int i = 0; i < doc.trackCount; ++i) AppendTrack(head, Pick({kTrackVideo, kTrackAudio, kTrackTransition}));
    doc.SetDuration(duration);
    FillHead(*head);
    for (TLEvent* track = GetNextEvent(head); track != nullptr && track->kind == kEventTrackBegin;
         track = GetNextEvent(track)) {
      FillTrack(*head, *track, duration);
    }
    SplitSegmentsAtClips(head);
    for (TLFilter& segment : head->segments) FillSegment(segment);
    FillDocument(doc);
  }

  // Counts of what was generated, to show the documents reach the cases
  // that matter.
  int moviePiecesLongerThanWide = 0;
  int emptyFramePieces = 0;

private:
  std::int32_t Int(std::int64_t min, std::int64_t max) {
    return static_cast<std::int32_t>(std::uniform_int_distribution<std::int64_t>(min, max)(random_));
  }
  bool Chance(int percent) { return Int(1, 100) <= percent; }
  template <typename T>
  T Pick(std::initializer_list<T> choices) {
    return *(choices.begin() + Int(0, static_cast<std::int64_t>(choices.size()) - 1));
  }
  std::int32_t AnyInt() { return Chance(20) ? Pick({kIntMin, kIntMax, 0, -1}) : Int(-100000, 100000); }

  // Texts of whole characters: letters, quotes, escapes, control and
  // multi-byte characters.
  std::string Text(std::size_t maxBytes) {
    static const char* const kPieces[] = {"a", "Z", "7", " ", "\"", "\\", "/", "\n", "\t", "\x01", "é", "日本", "😀"};
    std::string text;
    const std::size_t wanted =
        static_cast<std::size_t>(Int(0, static_cast<std::int64_t>(std::min<std::size_t>(maxBytes, 40))));
    while (true) {
      std::string piece = kPieces[Int(0, std::size(kPieces) - 1)];
      if (text.size() + piece.size() > wanted) break;
      text += piece;
    }
    return text;
  }
  std::vector<std::uint8_t> Bytes(int maxBytes) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(Int(0, maxBytes)));
    for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(Int(0, 255));
    return bytes;
  }
  std::string MediaPath(const std::vector<std::string>& extensions) {
    const std::string name = "clip" + std::to_string(Int(0, 50)) + Pick<std::string>({"", " b", "_c"});
    const std::string folder = Chance(50) ? dir_.path().string() + "/media/" : "/nonexistent/sprocket-media/";
    return folder + name + extensions[Int(0, extensions.size() - 1)];
  }
  // A file that exists, for rendered segments and pieces.
  std::string RenderedFile() { return dir_.Write("render/seg" + std::to_string(Int(0, 20)) + ".avi", "x").string(); }

  VolumeEnvelope Envelope() {
    if (Chance(40)) return {};
    VolumeEnvelope envelope{{Int(0, kEnvelopeMaxLevel), 0}};
    std::int32_t position = 0;
    for (int i = Int(0, 4); i > 0; --i) {
      position = Int(position, kEnvelopeEndPosition);
      envelope.push_back({Int(0, kEnvelopeMaxLevel), position});
    }
    envelope.push_back({Int(0, kEnvelopeMaxLevel), kEnvelopeEndPosition});
    return envelope;
  }

  TLFilterParam Param() {
    TLFilterParam param;
    for (std::int32_t& value : param.values) value = AnyInt();
    param.enable = AnyInt();
    param.name = Text(100);
    param.secondName = Text(100);
    if (Chance(20)) {
      TLParamTables tables;
      for (std::int32_t& value : tables.extra) value = AnyInt();
      for (auto* table : {&tables.red, &tables.green, &tables.blue, &tables.master}) {
        for (std::uint8_t& byte : *table) byte = static_cast<std::uint8_t>(Int(0, 255));
      }
      param.tables = tables;
    }
    return param;
  }

  FilterList Filters() {
    FilterList filters(static_cast<std::size_t>(Chance(50) ? 0 : Int(1, 3)));
    for (TLFilter& filter : filters) {
      filter.id = AnyInt();
      filter.script = Text(200);
      for (int i = Int(0, 3); i > 0; --i) filter.params.push_back(Param());
      for (int i = Chance(80) ? 0 : Int(1, 2); i > 0; --i) {
        filter.bitmaps.push_back(TLBitmapNode{Text(50), OwnedBlock::FromBytes(Bytes(40))});
      }
      filter.plugInData = Bytes(Chance(70) ? 0 : 500);
      filter.textureMap = Bytes(Chance(70) ? 0 : 30);
      filter.storedEffectData = Bytes(Chance(70) ? 0 : 30);
      if (Chance(30)) filter.effectData = {AnyInt(), AnyInt(), AnyInt()};
    }
    return filters;
  }

  // A piece as segment rendering makes them: frames of a file, or the
  // description of the segment's own movie.
  TLFilterParam Piece() {
    TLFilterParam piece;
    if (Chance(50)) {
      const MovieFrameGrid grid{Pick({29.97, 25.0, 30.0, 15.0, 59.94}), Int(0, 100000)};
      piece = MakeSegmentFilePiece(grid, Int(0, 200000), Int(0, 4096), Int(0, 4096));
      if (Chance(20)) piece.gridRate() = 0;  // made before grids were kept
      if (piece.movieFrames() > piece.movieWidth()) ++moviePiecesLongerThanWide;
    } else {
      const std::int32_t first = Int(0, 1000000);
      const std::int32_t last = Chance(10) ? first - 1 : Int(first, first + 100000);
      if (last < first) ++emptyFramePieces;
      piece = MakeRenderedPiece(AnyInt(), first, last, RenderedFile(), {}, Chance(50) ? 0 : AnyInt());
    }
    if (Chance(30)) piece.secondName = Text(200);
    return piece;
  }

  void FillSegment(TLFilter& segment) {
    if (Chance(30)) segment.marked = AnyInt();
    if (Chance(50)) return;
    segment.rendered = Pick({0, 1});
    if (Chance(70)) segment.fileName = RenderedFile();
    segment.boardClip = Chance(80) ? 0 : AnyInt();
    for (int i = Int(1, 4); i > 0; --i) segment.params.push_back(Piece());
  }

  void FillHead(TLEvent& head) {
    head.captureName = Text(kMaxCaptureNameLength);
    TimelineEnd(&head)->captureName = Text(kMaxCaptureNameLength);
    if (Chance(50)) head.cropMargins.Set(Int(0, 0xFFFF), Int(0, 0xFFFF), Int(0, 0xFFFF), Int(0, 0xFFFF));
    head.audioPreviewOption = Chance(50) ? 0 : AnyInt();
    head.volume = Envelope();
    head.balance = Envelope();
    head.filters = Filters();
  }

  void FillTrack(TLEvent& head, TLEvent& track, std::int32_t duration) {
    track.viewStatus = Int(kTrackViewBalance, kTrackViewStereo);
    track.statusCode = Chance(70) ? 0 : AnyInt();
    track.audioPreviewSelection = Int(-1, 1);
    track.filters = Filters();
    std::int32_t time = 0;
    for (int i = Int(0, 5); i > 0 && time < duration - 1; --i) {
      const std::int32_t in = Int(time, std::min(duration - 1, time + 100000));
      const std::int32_t out = Int(in + 1, std::min(duration, in + 200000));
      InsertClip(&head, track.trackNumber, in, out, Clip(head, track.trackType));
      time = out;
    }
  }

  std::vector<std::int32_t> VideoTracks(const TLEvent& head) {
    std::vector<std::int32_t> numbers;
    for (const TLEvent* track = GetNextEvent(&head); track != nullptr && track->kind == kEventTrackBegin;
         track = GetNextEvent(track)) {
      if (track->trackType == kTrackVideo) numbers.push_back(track->trackNumber);
    }
    return numbers;
  }

  TLEventFields Clip(const TLEvent& head, char trackType) {
    TLEventFields clip;
    if (trackType == kTrackTransition) {
      clip.transitionId = Int(0, 120);
      std::vector<std::int32_t> video = VideoTracks(head);
      if (!video.empty() && Chance(40)) {
        clip.leftSide = video[Int(0, video.size() - 1)];
        clip.rightSide = video[Int(0, video.size() - 1)];
      }
    } else if (Chance(80)) {
      const std::string path =
          MediaPath(trackType == kTrackAudio ? std::vector<std::string>{".wav", ".avi"}
                                             : std::vector<std::string>{".avi", ".bmp", ".tga", ".jpg", ".flc"});
      MediaPathParts parts;
      EXPECT_TRUE(SplitMediaPath(path, &parts)) << path;
      clip.directory = parts.directory;
      clip.name = parts.name;
      clip.extension = parts.extension;
      // A file may give any known type, or none.
      clip.mediaType = Chance(80) ? GetMediaTypeCode(path) : Pick<std::int32_t>({0, kMediaOther});
    }
    clip.speed = Chance(60) ? kNormalSpeed : Int(1, 10000);
    clip.playIn = Int(0, 1000000);
    clip.playOut = Int(clip.playIn, clip.playIn + 1000000);
    clip.reverse = Pick({0, 1});
    clip.clipName = Text(kMaxClipNameLength);
    clip.title = Text(300);
    clip.description = Text(300);
    clip.filters = Filters();
    SyncTransitionFilter(clip);
    clip.volume = Envelope();
    clip.balance = Envelope();
    clip.linkNumber = Chance(50) ? 0 : static_cast<std::uint32_t>(Int(0, 0xFFFFFFFFll));
    clip.channelMode = Chance(60) ? 0 : Int(1000, 1006);
    if (Chance(30)) clip.crop = {AnyInt(), AnyInt(), AnyInt(), AnyInt()};
    clip.clipVolume = Chance(60) ? 10000 : Int(0, kIntMax);
    if (Chance(20)) clip.intermediateMovie = Movie();
    if (Chance(20)) clip.ownPicture = OwnedBlock::FromBytes(Bytes(64));
    return clip;
  }

  IntermediateMovie Movie() {
    const std::int32_t start = Int(0, kMaxTimelineEnd);
    return IntermediateMovie{AnyInt(), start, Int(start, kMaxTimelineEnd), Text(127)};
  }

  TimeRange Range() {
    const std::int32_t start = Int(0, kMaxTimelineEnd);
    return TimeRange{start, Int(start, kMaxTimelineEnd)};
  }

  void FillDocument(CTestDoc& doc) {
    doc.movieRange = Range();
    doc.previewRange = Range();
    doc.rangesFollowContent = Chance(50);
    doc.currentPosition = Int(0, kMaxTimelineEnd);
    doc.zoom = Int(0, 3);
    doc.scaleIndex = Int(0, static_cast<std::int64_t>(kScaleUnits.size()) - 1);
    doc.timeOrigin = Int(0, kMaxTimelineEnd);
    doc.clipViewOption = Int(0, 4);
    doc.horizontalScroll = Int(0, kIntMax);
    doc.savePrompt = AnyInt();
    doc.bufferedMovie = AnyInt();
    doc.bufferedPreview = AnyInt();
    doc.noMessage = AnyInt();
    doc.transitionWarning = AnyInt();
    doc.linkCounter = static_cast<std::uint32_t>(Int(0, 0xFFFFFFFFll));
    for (int i = Int(0, 3); i > 0; --i) doc.intermediateMovies.push_back(Movie());
    for (int i = Int(0, 3); i > 0; --i) doc.snapshotMarks.push_back(SnapshotMark{Int(0, kMaxTimelineEnd)});
    for (int i = Int(0, 3); i > 0; --i)
      doc.indexMarks.push_back(IndexMark{Int(0, kMaxTimelineEnd), Text(50), Text(50)});
    for (int i = Int(0, 2); i > 0; --i) {
      ClipMarkSet set{MediaPath({".avi", ".wav"}), Int(0, kMaxTimelineEnd), Int(1, kMaxTracks), {}};
      for (int j = Int(0, 3); j > 0; --j) set.marks.push_back(ClipIndexMark{Text(30), Text(30), Int(0, kIntMax)});
      doc.clipMarkSets.push_back(std::move(set));
    }
  }

  std::mt19937 random_;
  const TempDir& dir_;
};

std::string Format(const CTestDoc& doc, const fs::path& folder) {
  std::string text;
  std::string error;
  EXPECT_TRUE(FormatTimelineFile(doc, folder, &text, &error)) << error;
  return text;
}

TEST(TimelineRoundTrip, EveryWrittenTimelineReadsBackToTheSameDocument) {
  TempDir dir;
  int moviePiecesLongerThanWide = 0;
  int emptyFramePieces = 0;
  for (std::uint32_t seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    RandomDocument random(seed, dir);
    CTestDoc written;
    random.Fill(written);
    moviePiecesLongerThanWide += random.moviePiecesLongerThanWide;
    emptyFramePieces += random.emptyFramePieces;

    const std::string text = Format(written, dir.path());
    CTestDoc read;
    std::string error;
    ASSERT_TRUE(ParseTimelineFile(text, dir.path(), read, &error)) << error;
    EXPECT_EQ(Format(read, dir.path()), text);
    ASSERT_EQ(DumpKeptDocument(read), DumpKeptDocument(written));
    EXPECT_TRUE(CheckTimelineLinks(read.Head()));
  }
  // The generator reached the pieces that once made files unloadable.
  EXPECT_GT(moviePiecesLongerThanWide, 100);
  EXPECT_GT(emptyFramePieces, 10);
}

}  // namespace
}  // namespace sprocket
