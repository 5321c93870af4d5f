// Reading timeline files: every value is checked before anything is built,
// and the document changes only when the whole file was good.

#include <algorithm>
#include <limits>
#include <map>
#include <optional>
#include <tuple>

#include <nlohmann/json.hpp>

#include "platform/files/atomic_file.h"
#include "platform/string_table.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/clip_factory.h"
#include "timeline/document/clip_header_reader.h"
#include "timeline/document/clip_lookup.h"
#include "timeline/document/event_edits.h"
#include "timeline/document/render_segments.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"
#include "timeline/tlefile/filter_list_json.h"
#include "timeline/tlefile/json_cursor.h"
#include "timeline/tlefile/json_text.h"
#include "timeline/tlefile/timeline_file.h"

#include "timeline/document/black_picture.h"

namespace sprocket {

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

constexpr int kMaxJsonDepth = 32;
constexpr std::size_t kMaxJsonValues = 4000000;
constexpr std::int32_t kMinRate = 100;    // 1 frame a second
constexpr std::int32_t kMaxRate = 12000;  // 120 frames a second
constexpr std::int32_t kMinSpeed = 1;
constexpr std::int32_t kMaxSpeed = 10000;
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::size_t kMaxEnvelopePoints = 10000;
constexpr std::size_t kMaxMediaPathBytes = 3 * kMaxPathPartLength;
constexpr std::size_t kMaxMovieNameBytes = 127;
constexpr std::size_t kMaxTrackTypeBytes = 16;
// Field orders come from one digit of the "AVI Field Info" settings.
constexpr std::int32_t kMaxFieldOrder = 9;
// "The number of tracks can not be more than 100"
constexpr int kTooManyTracksMessage = 61440;

// Resolves media paths of the file against its folder.
class PathReader {
public:
  explicit PathReader(const fs::path& folder) : folder_(fs::absolute(folder)) {}
  std::string operator()(const std::string& text) const {
    fs::path path(text);
    if (path.is_relative()) path = folder_ / path;
    return path.lexically_normal().string();
  }

private:
  fs::path folder_;
};

struct ParsedClip {
  std::int32_t track = 0;
  std::int32_t in = 0;
  std::int32_t out = 0;
  TLEventFields fields;
  std::optional<std::int32_t> fieldOrder;
};

struct LoadedTimeline {
  EventListSlot head;
  std::int32_t rate = 0;
  std::int32_t duration = 0;
  TimeRange movieRange;
  TimeRange previewRange;
  bool rangesFollowContent = false;
  std::int32_t position = 0;
  std::int32_t zoom = 2;
  std::int32_t scaleIndex = 3;
  std::int32_t timeOrigin = 0;
  std::int32_t clipViewOption = 2;
  std::int32_t horizontalScroll = 0;
  std::int32_t savePrompt = 1;
  std::int32_t bufferedMovie = 0;
  std::int32_t bufferedPreview = 0;
  std::int32_t noMessage = 0;
  std::int32_t transitionWarning = 1;
  std::uint32_t linkCounter = 0;
  std::vector<IntermediateMovie> intermediateMovies;
  std::vector<SnapshotMark> snapshotMarks;
  std::vector<IndexMark> indexMarks;
  std::vector<ClipMarkSet> clipMarkSets;
};

void CheckFormat(const JsonCursor& root) {
  if (!root.Value().is_object()) throw JsonFormatError("the file is not a timeline (its top level is not an object)");
  std::optional<JsonCursor> format = root.OptionalField("format");
  if (!format || !format->Value().is_string() || format->Value().get<std::string>() != kTimelineFormatName) {
    throw JsonFormatError("the file is not a timeline (its \"format\" is not \"" + std::string(kTimelineFormatName) +
                          "\")");
  }
  std::int64_t version = root.Field("version").Int(1, std::numeric_limits<std::int32_t>::max());
  if (version != kTimelineFormatVersion) {
    throw JsonFormatError("the timeline is of format version " + std::to_string(version) +
                          ", which is newer than this program reads (version " +
                          std::to_string(kTimelineFormatVersion) + ")");
  }
}

TimeRange RangeFromJson(const JsonCursor& json) {
  std::vector<JsonCursor> ends = json.Tuple(2);
  TimeRange range{ends[0].Int32(0, kMaxTimelineEnd), ends[1].Int32(0, kMaxTimelineEnd)};
  if (range.end < range.start) json.Fail("the range ends before it starts");
  return range;
}

std::optional<TimeRange> OptionalRange(const JsonCursor& root, std::string_view key) {
  std::optional<JsonCursor> field = root.OptionalField(key);
  if (!field) return std::nullopt;
  return RangeFromJson(*field);
}

VolumeEnvelope EnvelopeFromJson(const JsonCursor& json) {
  VolumeEnvelope envelope;
  for (const JsonCursor& point : json.Items(kMaxEnvelopePoints)) {
    std::vector<JsonCursor> pair = point.Tuple(2);
    envelope.push_back(VolumePoint{pair[0].Int32(0, kEnvelopeMaxLevel), pair[1].Int32(0, kEnvelopeEndPosition)});
  }
  if (!IsValidEnvelope(envelope)) {
    json.Fail("an envelope needs two or more points in order of position, the first at 0 and the last at 10000");
  }
  return envelope;
}

VolumeEnvelope OptionalEnvelope(const JsonCursor& json, std::string_view key) {
  std::optional<JsonCursor> field = json.OptionalField(key);
  return field ? EnvelopeFromJson(*field) : VolumeEnvelope{};
}

FilterList OptionalFilters(const JsonCursor& json) {
  std::optional<JsonCursor> field = json.OptionalField("filters");
  return field ? FilterListFromJson(*field) : FilterList{};
}

IntermediateMovie IntermediateMovieFromJson(const JsonCursor& json) {
  IntermediateMovie movie;
  movie.id = json.Field("id").Int32(kIntMin, kIntMax);
  movie.start = json.Field("start").Int32(0, kMaxTimelineEnd);
  movie.end = json.Field("end").Int32(0, kMaxTimelineEnd);
  if (movie.end < movie.start) json.Fail("the intermediate movie ends before it starts");
  movie.name = json.TextOr("name", kMaxMovieNameBytes);
  return movie;
}

std::vector<ClipIndexMark> ClipIndexMarksFromJson(const JsonCursor& json) {
  std::vector<ClipIndexMark> marks;
  for (const JsonCursor& item : json.Items(kMaxJsonListItems)) {
    marks.push_back(ClipIndexMark{item.TextOr("name", kMaxJsonTextBytes), item.TextOr("note", kMaxJsonTextBytes),
                                  item.Field("time").Int32(0, kIntMax)});
  }
  return marks;
}

void ReadMarks(const JsonCursor& root, const PathReader& paths, LoadedTimeline& loaded) {
  if (std::optional<JsonCursor> movies = root.OptionalField("intermediateMovies")) {
    for (const JsonCursor& item : movies->Items(kMaxJsonListItems)) {
      loaded.intermediateMovies.push_back(IntermediateMovieFromJson(item));
    }
  }
  if (std::optional<JsonCursor> snapshots = root.OptionalField("snapshotMarks")) {
    for (const JsonCursor& item : snapshots->Items(kMaxJsonListItems)) {
      loaded.snapshotMarks.push_back(SnapshotMark{item.Int32(0, kMaxTimelineEnd)});
    }
  }
  if (std::optional<JsonCursor> marks = root.OptionalField("indexMarks")) {
    for (const JsonCursor& item : marks->Items(kMaxJsonListItems)) {
      loaded.indexMarks.push_back(IndexMark{item.Field("time").Int32(0, kMaxTimelineEnd),
                                            item.TextOr("name", kMaxJsonTextBytes),
                                            item.TextOr("note", kMaxJsonTextBytes)});
    }
  }
  if (std::optional<JsonCursor> sets = root.OptionalField("clipMarks")) {
    for (const JsonCursor& item : sets->Items(kMaxJsonListItems)) {
      ClipMarkSet set;
      set.path = paths(item.Field("path").Text(kMaxMediaPathBytes));
      set.clipTime = item.Field("clipTime").Int32(0, kMaxTimelineEnd);
      set.trackNumber = item.Field("track").Int32(1, kMaxTracks);
      set.marks = ClipIndexMarksFromJson(item.Field("marks"));
      loaded.clipMarkSets.push_back(std::move(set));
    }
  }
}

void ReadSettings(const JsonCursor& root, LoadedTimeline& loaded) {
  loaded.rate = root.Int32Or("rate", 2997, kMinRate, kMaxRate);
  loaded.duration = root.Int32Or("duration", kDefaultDuration, 1, kMaxTimelineEnd);
  loaded.movieRange = OptionalRange(root, "movieRange").value_or(TimeRange{});
  loaded.previewRange = OptionalRange(root, "previewRange").value_or(TimeRange{});
  loaded.rangesFollowContent = root.BoolOr("rangesFollowContent", false);
  loaded.position = root.Int32Or("position", 0, 0, kMaxTimelineEnd);
  if (std::optional<JsonCursor> view = root.OptionalField("view")) {
    loaded.zoom = view->Int32Or("zoom", 2, 0, 3);
    loaded.scaleIndex = view->Int32Or("scale", 3, 0, static_cast<std::int32_t>(kScaleUnits.size()) - 1);
    loaded.timeOrigin = view->Int32Or("origin", 0, 0, kMaxTimelineEnd);
    loaded.clipViewOption = view->Int32Or("clipView", 2, 0, 4);
    loaded.horizontalScroll = view->Int32Or("scroll", 0, 0, kIntMax);
  }
  if (std::optional<JsonCursor> options = root.OptionalField("options")) {
    loaded.savePrompt = options->Int32Or("savePrompt", 1, kIntMin, kIntMax);
    loaded.bufferedMovie = options->Int32Or("bufferedMovie", 0, kIntMin, kIntMax);
    loaded.bufferedPreview = options->Int32Or("bufferedPreview", 0, kIntMin, kIntMax);
    loaded.noMessage = options->Int32Or("noMessage", 0, kIntMin, kIntMax);
    loaded.transitionWarning = options->Int32Or("transitionWarning", 1, kIntMin, kIntMax);
    if (std::optional<JsonCursor> counter = options->OptionalField("linkCounter")) {
      loaded.linkCounter = static_cast<std::uint32_t>(counter->Int(0, std::numeric_limits<std::uint32_t>::max()));
    }
  }
}

void ReadHeadRecord(const JsonCursor& root, TLEvent& head) {
  head.captureName = root.TextOr("title", kMaxCaptureNameLength);
  TimelineEnd(&head)->captureName = root.TextOr("recordIn", kMaxCaptureNameLength);
  if (std::optional<JsonCursor> crop = root.OptionalField("cropMargins")) {
    std::vector<JsonCursor> sides = crop->Tuple(4);
    head.cropMargins.Set(sides[0].Int32(0, 0xFFFF), sides[1].Int32(0, 0xFFFF), sides[2].Int32(0, 0xFFFF),
                         sides[3].Int32(0, 0xFFFF));
  }
  head.audioPreviewOption = root.Int32Or("audioPreviewOption", 0, kIntMin, kIntMax);
  head.volume = OptionalEnvelope(root, "masterVolume");
  head.balance = OptionalEnvelope(root, "masterBalance");
  head.filters = OptionalFilters(root);
}

char TrackTypeFromJson(const JsonCursor& json) {
  std::string type = json.Text(kMaxTrackTypeBytes);
  if (type != "V" && type != "A" && type != "X") {
    json.Fail("unknown track type \"" + type + "\" (a track is of type \"V\", \"A\" or \"X\")");
  }
  return type[0];
}

// The tracks' headers, in order; their clips are read afterwards.
std::vector<JsonCursor> ReadTracks(const JsonCursor& root, TLEvent& head) {
  JsonCursor tracks = root.Field("tracks");
  if (tracks.Value().is_array() && tracks.Value().size() > static_cast<std::size_t>(kMaxTracks)) {
    tracks.Fail("the file holds " + std::to_string(tracks.Value().size()) + " tracks. " +
                std::string(StringText(kTooManyTracksMessage)));
  }
  std::vector<JsonCursor> items = tracks.Items(kMaxTracks);
  for (std::size_t i = 0; i < items.size(); ++i) {
    const JsonCursor& json = items[i];
    char type = TrackTypeFromJson(json.Field("type"));
    auto expected = static_cast<std::int32_t>(i + 1);
    if (json.Field("number").Int32(1, kMaxTracks) != expected) {
      json.Field("number").Fail("tracks are numbered 1, 2, 3, ... in order; this one must be " +
                                std::to_string(expected));
    }
    TLEvent* track = AppendTrack(&head, type);
    track->viewStatus = json.Int32Or("viewStatus", kTrackViewVideoOnly, kTrackViewBalance, kTrackViewStereo);
    track->statusCode = json.Int32Or("statusCode", 0, kIntMin, kIntMax);
    track->audioPreviewSelection = json.Int32Or("audioPreview", 0, -1, 1);
    track->filters = OptionalFilters(json);
  }
  return items;
}

std::int32_t TrackSideFromJson(const JsonCursor& clip, std::string_view key, const TLEvent& head) {
  std::optional<JsonCursor> field = clip.OptionalField(key);
  if (!field) return 0;
  std::int32_t side = field->Int32(0, kMaxTracks);
  const TLEvent* track = side != 0 ? FindTrack(&head, side) : nullptr;
  if (side != 0 && (track == nullptr || track->trackType != kTrackVideo)) {
    field->Fail("track " + std::to_string(side) + " is not a video track of the timeline");
  }
  return side;
}

void ReadMediaFields(const JsonCursor& json, const PathReader& paths, ParsedClip& clip) {
  TLEventFields& fields = clip.fields;
  std::string file;
  if (std::optional<JsonCursor> generated = json.OptionalField("generated")) {
    if (generated->Text(kMaxMediaPathBytes) != kGeneratedBlack)
      generated->Fail("unknown generated picture (only \"" + std::string(kGeneratedBlack) + "\" is made)");
    file = EnsureBlackPicture();
    MediaPathParts parts;
    if (file.empty() || !SplitMediaPath(file, &parts)) generated->Fail("the black picture cannot be written");
    fields.directory = parts.directory;
    fields.name = parts.name;
    fields.extension = parts.extension;
  } else if (std::optional<JsonCursor> field = json.OptionalField("file")) {
    std::string text = field->Text(kMaxMediaPathBytes);
    if (!text.empty()) file = paths(text);
    MediaPathParts parts;
    if (!file.empty() && !SplitMediaPath(file, &parts))
      field->Fail("the path \"" + file + "\" is not a usable media path");
    fields.directory = parts.directory;
    fields.name = parts.name;
    fields.extension = parts.extension;
  }
  fields.mediaType = json.Int32Or("mediaType", file.empty() ? 0 : GetMediaTypeCode(file), kIntMin, kIntMax);
  if (!IsKnownMediaType(fields.mediaType)) {
    json.Field("mediaType").Fail("unknown media type " + std::to_string(fields.mediaType));
  }
  fields.speed = json.Int32Or("speed", kNormalSpeed, kMinSpeed, kMaxSpeed);
  fields.playIn = json.Int32Or("playIn", 0, 0, kIntMax);
  std::int64_t played = std::int64_t{clip.out - clip.in} * fields.speed / kNormalSpeed;
  auto defaultOut = static_cast<std::int32_t>(std::min<std::int64_t>(fields.playIn + played, kIntMax));
  fields.playOut = json.Int32Or("playOut", defaultOut, 0, kIntMax);
  if (fields.playOut < fields.playIn) json.Field("playOut").Fail("the clip's play-out lies before its play-in");
  fields.reverse = json.BoolOr("reverse", false) ? 1 : 0;
}

ParsedClip ClipFromJson(const JsonCursor& json, const TLEvent& track, const TLEvent& head, std::int32_t duration,
                        const PathReader& paths) {
  ParsedClip clip;
  clip.track = track.trackNumber;
  clip.in = json.Field("in").Int32(0, kMaxTimelineEnd);
  clip.out = json.Field("out").Int32(0, kMaxTimelineEnd);
  if (clip.out <= clip.in) {
    json.Field("out").Fail("the clip's out time " + std::to_string(clip.out) + " is not after its in time " +
                           std::to_string(clip.in));
  }
  if (clip.out > duration) {
    json.Field("out").Fail("the clip ends at " + std::to_string(clip.out) + " ms, after the timeline's duration of " +
                           std::to_string(duration) + " ms");
  }
  TLEventFields& fields = clip.fields;
  ReadMediaFields(json, paths, clip);
  if (track.trackType == kTrackTransition) fields.transitionId = json.Field("transition").Int32(0, kIntMax);
  fields.clipName = json.TextOr("name", kMaxClipNameLength);
  fields.title = json.TextOr("title", kMaxJsonTextBytes);
  fields.description = json.TextOr("description", kMaxJsonTextBytes);
  fields.filters = OptionalFilters(json);
  SyncTransitionFilter(fields);
  fields.volume = OptionalEnvelope(json, "volume");
  fields.balance = OptionalEnvelope(json, "balance");
  fields.leftSide = TrackSideFromJson(json, "leftSide", head);
  fields.rightSide = TrackSideFromJson(json, "rightSide", head);
  if (std::optional<JsonCursor> order = json.OptionalField("fieldOrder"))
    clip.fieldOrder = order->Int32(0, kMaxFieldOrder);
  if (std::optional<JsonCursor> link = json.OptionalField("linkNumber")) {
    fields.linkNumber = static_cast<std::uint32_t>(link->Int(0, std::numeric_limits<std::uint32_t>::max()));
  }
  fields.channelMode = json.Int32Or("channelMode", 0, 0, 1006);
  if (fields.channelMode != 0 && fields.channelMode < 1000) {
    json.Field("channelMode").Fail("a channel mode is 0 or 1000 to 1006");
  }
  if (std::optional<JsonCursor> crop = json.OptionalField("crop")) {
    std::vector<JsonCursor> words = crop->Tuple(4);
    fields.crop = ClipCropWords{words[0].Int32(kIntMin, kIntMax), words[1].Int32(kIntMin, kIntMax),
                                words[2].Int32(kIntMin, kIntMax), words[3].Int32(kIntMin, kIntMax)};
  }
  fields.clipVolume = json.Int32Or("clipVolume", fields.clipVolume, 0, kIntMax);
  if (std::optional<JsonCursor> movie = json.OptionalField("intermediateMovie")) {
    fields.intermediateMovie = IntermediateMovieFromJson(*movie);
  }
  if (std::optional<JsonCursor> picture = json.OptionalField("picture")) {
    fields.ownPicture = OwnedBlock::FromBytes(picture->Bytes(kMaxJsonBlockBytes));
  }
  return clip;
}

std::vector<ParsedClip> ReadClips(const std::vector<JsonCursor>& tracks, const TLEvent& head, std::int32_t duration,
                                  const PathReader& paths) {
  std::vector<ParsedClip> clips;
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    const TLEvent* track = FindTrack(&head, static_cast<std::int32_t>(i + 1));
    std::int32_t previousOut = 0;
    std::optional<JsonCursor> list = tracks[i].OptionalField("clips");
    if (!list) continue;
    for (const JsonCursor& json : list->Items(kMaxJsonListItems)) {
      ParsedClip clip = ClipFromJson(json, *track, head, duration, paths);
      if (clip.in < previousOut) {
        json.Fail("the clip starts at " + std::to_string(clip.in) +
                  " ms, before the clip ahead of it on the track ends (" + std::to_string(previousOut) + " ms)");
      }
      previousOut = clip.out;
      clips.push_back(std::move(clip));
    }
  }
  return clips;
}

// Links the clips into the timeline, latest first: each record then finds
// its place at the front of what is already linked.
std::vector<std::pair<TLEvent*, const ParsedClip*>> LinkClips(TLEvent& head, std::vector<ParsedClip>& clips) {
  std::vector<ParsedClip*> order;
  for (ParsedClip& clip : clips) order.push_back(&clip);
  std::sort(order.begin(), order.end(), [](const ParsedClip* a, const ParsedClip* b) {
    return std::tie(a->in, a->track) > std::tie(b->in, b->track);
  });
  std::vector<std::pair<TLEvent*, const ParsedClip*>> linked;
  for (ParsedClip* clip : order) {
    TLEvent* event = InsertClip(&head, clip->track, clip->in, clip->out, clip->fields);
    if (event != nullptr) linked.emplace_back(event, clip);
  }
  return linked;
}

// Reads the media headers, each file once.
void ReadHeaders(const std::vector<std::pair<TLEvent*, const ParsedClip*>>& clips, std::vector<std::string>* warnings) {
  struct Outcome {
    bool ok = false;
    std::optional<ClipMediaHeader> header;
  };
  std::map<std::tuple<std::string, std::int32_t, std::int32_t>, Outcome> read;
  for (auto& [event, parsed] : clips) {
    if (event->name.empty()) continue;
    std::int32_t fieldMode = event->mediaType == kMediaOther ? parsed->fieldOrder.value_or(0) : 0;
    auto key = std::make_tuple(event->MediaPath(), event->mediaType, fieldMode);
    auto found = read.find(key);
    if (found == read.end()) {
      Outcome outcome;
      std::string problem;
      if (!IsReadableMediaExt(event->extension)) {
        // Kept, so that nothing of the file is lost, but it shows nothing.
        outcome.ok = false;
        problem = "The clip file " + event->MediaPath() + " is of a kind Sprocket does not read (it reads " +
                  std::string(ReadableMediaKinds()) + "): the clip stays on the timeline and shows nothing.";
        if (warnings != nullptr) warnings->push_back(problem);
        found = read.emplace(key, std::move(outcome)).first;
        continue;
      }
      outcome.ok = ReadMediaHeader(event->MediaPath(), event->mediaType, &outcome.header, &problem, fieldMode);
      if (!outcome.ok && warnings != nullptr) warnings->push_back(problem);
      found = read.emplace(key, std::move(outcome)).first;
    }
    if (!found->second.ok) continue;
    event->header = found->second.header;
    if (event->header && event->header->Avi() != nullptr) ApplyAviFieldInfoToClip(*event);
    if (event->header && parsed->fieldOrder) event->header->SetFieldOrder(*parsed->fieldOrder);
  }
}

// The video half of a split pair gave its sound to its audio half: the
// header just read from the file has the sound again, so it is taken away.
void SilenceSplitVideoHalves(TLEvent& head) {
  for (TLEvent* event = &head; event != nullptr; event = GetNextEvent(event)) {
    if (!event->IsClipIn() || event->trackType != kTrackVideo || event->linkNumber == 0 || !event->header) continue;
    const TLEvent* partner = FindLinkedClip(&head, event);
    if (partner != nullptr && partner->trackType == kTrackAudio) event->header->ClearAviAudio();
  }
}

LoadedTimeline LoadTimeline(std::string_view text, const fs::path& folder, std::vector<std::string>* warnings) {
  if (text.size() > kMaxTimelineFileBytes) throw JsonFormatError("the file is too large to be a timeline");
  json document = ParseJsonText(text, {kMaxJsonDepth, kMaxJsonValues, "a timeline"});
  JsonCursor root(document, "");
  CheckFormat(root);
  PathReader paths(folder);

  LoadedTimeline loaded;
  ReadSettings(root, loaded);
  loaded.head = NewTimeline(loaded.rate, loaded.duration);
  TLEvent& head = *loaded.head;
  ReadHeadRecord(root, head);
  std::vector<JsonCursor> tracks = ReadTracks(root, head);
  std::vector<ParsedClip> clips = ReadClips(tracks, head, loaded.duration, paths);
  if (std::optional<JsonCursor> segments = root.OptionalField("segments")) {
    head.segments = RenderSegmentsFromJson(*segments, loaded.duration);
  }
  ReadMarks(root, paths, loaded);

  std::vector<std::pair<TLEvent*, const ParsedClip*>> linked = LinkClips(head, clips);
  // The timeline's times as every edit leaves them: ends of tracks and of
  // the timeline at or after the last clip, records in time order.
  if (IsTimelineTooLong(&head)) throw JsonFormatError("the timeline is longer than 10 hours");
  ValidateTimelineTimes(&head);
  ReadHeaders(linked, warnings);
  SilenceSplitVideoHalves(head);
  SplitSegmentsAtClips(&head);
  RefreshRenderSegments(&head);
  return loaded;
}

void Apply(LoadedTimeline loaded, CTestDoc& doc) {
  doc.ReplaceTimeline(std::move(loaded.head));
  doc.savedHead.reset();
  doc.undoSteps.clear();
  doc.redoSteps.clear();
  doc.movingClipRects.clear();
  doc.rate = loaded.rate;
  doc.duration = loaded.duration;
  doc.trackCount = CountTracks(doc.Head());
  doc.movieRange = loaded.movieRange;
  doc.previewRange = loaded.previewRange;
  doc.rangesFollowContent = loaded.rangesFollowContent;
  doc.currentPosition = loaded.position;
  doc.zoom = loaded.zoom;
  doc.scaleIndex = loaded.scaleIndex;
  doc.timeOrigin = loaded.timeOrigin;
  doc.clipViewOption = loaded.clipViewOption;
  doc.horizontalScroll = loaded.horizontalScroll;
  doc.savePrompt = loaded.savePrompt;
  doc.bufferedMovie = loaded.bufferedMovie;
  doc.bufferedPreview = loaded.bufferedPreview;
  doc.noMessage = loaded.noMessage;
  doc.transitionWarning = loaded.transitionWarning;
  doc.linkCounter = loaded.linkCounter;
  doc.intermediateMovies = std::move(loaded.intermediateMovies);
  doc.snapshotMarks = std::move(loaded.snapshotMarks);
  doc.indexMarks = std::move(loaded.indexMarks);
  doc.clipMarkSets = std::move(loaded.clipMarkSets);
  doc.RecalcScale();
}

bool Fail(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
  return false;
}

}  // namespace

namespace {

// Loads the text into the document; false with the reason in `problem`.
bool LoadInto(std::string_view text, const fs::path& folder, CTestDoc& doc, std::string* problem,
              std::vector<std::string>* warnings) {
  std::vector<std::string> found;
  LoadedTimeline loaded;
  if (!CatchJsonErrors([&] { loaded = LoadTimeline(text, folder, &found); }, problem)) return false;
  Apply(std::move(loaded), doc);
  if (warnings != nullptr) *warnings = std::move(found);
  return true;
}

}  // namespace

bool ParseTimelineFile(std::string_view text, const fs::path& folder, CTestDoc& doc, std::string* error,
                       std::vector<std::string>* warnings) {
  std::string problem;
  if (LoadInto(text, folder, doc, &problem, warnings)) return true;
  return Fail(error, "The timeline cannot be loaded: " + problem + ".");
}

bool ReadTimelineFile(const fs::path& path, CTestDoc& doc, std::string* error, std::vector<std::string>* warnings) {
  std::string name = "The timeline \"" + path.string() + "\"";
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return Fail(error, name + " does not exist.");
  auto size = fs::file_size(path, ec);
  if (ec || size > kMaxTimelineFileBytes) return Fail(error, name + " is too large to be a timeline file.");
  std::optional<std::string> text = ReadWholeFile(path);
  if (!text) return Fail(error, name + " cannot be read.");
  std::string problem;
  if (!LoadInto(*text, fs::absolute(path).parent_path(), doc, &problem, warnings)) {
    return Fail(error, name + " cannot be loaded: " + problem + ".");
  }
  doc.pathName = path.string();
  doc.title = path.filename().string();
  doc.SetModifiedFlag(false);
  return true;
}

}  // namespace sprocket
