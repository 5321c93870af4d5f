// Writing timeline files.

#include <algorithm>
#include <system_error>

#include <nlohmann/json.hpp>

#include "platform/files/atomic_file.h"
#include "timeline/document/clip_factory.h"
#include "timeline/tlefile/base64_text.h"
#include "timeline/tlefile/filter_list_json.h"
#include "timeline/tlefile/timeline_file.h"

#include "timeline/document/black_picture.h"
#include "timeline/records/event_queries.h"

namespace sprocket {

namespace {

using nlohmann::ordered_json;
namespace fs = std::filesystem;

// Writes media paths relative to the timeline file's folder when they lie
// inside it, so that a folder of a timeline and its media can be moved.
class PathWriter {
public:
  explicit PathWriter(const fs::path& folder) : folder_(fs::absolute(folder).lexically_normal()) {}

  std::string operator()(const std::string& path) const {
    if (path.empty()) return path;
    fs::path absolute = fs::absolute(fs::path(path)).lexically_normal();
    fs::path relative = absolute.lexically_relative(folder_);
    if (relative.empty() || *relative.begin() == "..") return absolute.generic_string();
    return relative.generic_string();
  }

private:
  fs::path folder_;
};

ordered_json EnvelopeToJson(const VolumeEnvelope& envelope) {
  ordered_json points = ordered_json::array();
  for (const VolumePoint& point : envelope) points.push_back({point.level, point.position});
  return points;
}

ordered_json RangeToJson(const TimeRange& range) { return ordered_json::array({range.start, range.end}); }

ordered_json IntermediateMovieToJson(const IntermediateMovie& movie) {
  return {{"id", movie.id}, {"start", movie.start}, {"end", movie.end}, {"name", movie.name}};
}

// Keys every clip carries, then the ones that differ from their defaults.
ordered_json ClipToJson(const TLEvent& clip, const PathWriter& paths) {
  ordered_json json;
  json["in"] = clip.time;
  json["out"] = clip.OutTime();
  if (IsProgramBlackPicture(clip.MediaPath())) {
    json["generated"] = kGeneratedBlack;  // found again wherever the timeline goes
  } else if (!clip.name.empty()) {
    json["file"] = paths(clip.MediaPath());
  }
  if (clip.trackType == kTrackTransition) json["transition"] = clip.transitionId;
  // Without the key a reader takes the type from the file's extension.
  if (clip.mediaType != 0 || !clip.name.empty()) json["mediaType"] = clip.mediaType;
  json["playIn"] = clip.playIn;
  json["playOut"] = clip.playOut;
  json["speed"] = clip.speed;
  json["reverse"] = clip.reverse != 0;
  json["name"] = TruncateUtf8(clip.clipName, kMaxClipNameLength);
  json["filters"] = FilterListToJson(clip.filters);
  json["volume"] = EnvelopeToJson(clip.volume);
  json["balance"] = EnvelopeToJson(clip.balance);
  if (!clip.title.empty()) json["title"] = clip.title;
  if (!clip.description.empty()) json["description"] = clip.description;
  if (clip.leftSide != 0) json["leftSide"] = clip.leftSide;
  if (clip.rightSide != 0) json["rightSide"] = clip.rightSide;
  if (clip.header && clip.header->FieldOrder() != 0) json["fieldOrder"] = clip.header->FieldOrder();
  if (clip.linkNumber != 0) json["linkNumber"] = clip.linkNumber;
  if (clip.channelMode != 0) json["channelMode"] = clip.channelMode;
  if (clip.crop != ClipCropWords{}) {
    json["crop"] = {clip.crop.leftTop, clip.crop.rightBottom, clip.crop.word3, clip.crop.word4};
  }
  if (clip.clipVolume != TLEventFields{}.clipVolume) json["clipVolume"] = clip.clipVolume;
  if (clip.intermediateMovie) json["intermediateMovie"] = IntermediateMovieToJson(*clip.intermediateMovie);
  if (clip.ownPicture) json["picture"] = Base64Encode(clip.ownPicture.Bytes());
  return json;
}

ordered_json TrackToJson(const TLEvent& track, const PathWriter& paths) {
  ordered_json json;
  json["type"] = std::string(1, track.trackType);
  json["number"] = track.trackNumber;
  json["viewStatus"] = track.viewStatus;
  if (track.statusCode != 0) json["statusCode"] = track.statusCode;
  if (track.audioPreviewSelection != 0) json["audioPreview"] = track.audioPreviewSelection;
  if (!track.filters.empty()) json["filters"] = FilterListToJson(track.filters);
  ordered_json clips = ordered_json::array();
  for (const TLEvent* clip = track.next; clip != nullptr && clip->IsClipIn() && clip->ClipOut() != nullptr;
       clip = clip->ClipOut()->next) {
    clips.push_back(ClipToJson(*clip, paths));
  }
  json["clips"] = std::move(clips);
  return json;
}

ordered_json MarksToJson(const CTestDoc& doc, const PathWriter& paths) {
  ordered_json json;
  ordered_json movies = ordered_json::array();
  for (const IntermediateMovie& movie : doc.intermediateMovies) movies.push_back(IntermediateMovieToJson(movie));
  json["intermediateMovies"] = std::move(movies);
  ordered_json snapshots = ordered_json::array();
  for (const SnapshotMark& mark : doc.snapshotMarks) snapshots.push_back(mark.time);
  json["snapshotMarks"] = std::move(snapshots);
  ordered_json indexMarks = ordered_json::array();
  for (const IndexMark& mark : doc.indexMarks) {
    indexMarks.push_back({{"time", mark.time}, {"name", mark.name}, {"note", mark.note}});
  }
  json["indexMarks"] = std::move(indexMarks);
  ordered_json clipMarks = ordered_json::array();
  for (const ClipMarkSet& set : doc.clipMarkSets) {
    ordered_json marks = ordered_json::array();
    for (const ClipIndexMark& mark : set.marks) {
      marks.push_back({{"time", mark.time}, {"name", mark.name}, {"note", mark.note}});
    }
    clipMarks.push_back(
        {{"path", paths(set.path)}, {"clipTime", set.clipTime}, {"track", set.trackNumber}, {"marks", marks}});
  }
  json["clipMarks"] = std::move(clipMarks);
  return json;
}

ordered_json DocumentToJson(const CTestDoc& doc, const TLEvent& head, const PathWriter& paths) {
  ordered_json json;
  json["format"] = kTimelineFormatName;
  json["version"] = kTimelineFormatVersion;
  json["rate"] = head.rate;
  json["duration"] = std::max(TimelineDuration(&head), LatestClipOutTime(&head));
  json["movieRange"] = RangeToJson(doc.movieRange);
  json["previewRange"] = RangeToJson(doc.previewRange);
  if (doc.rangesFollowContent) json["rangesFollowContent"] = true;
  json["position"] = doc.currentPosition;
  json["view"] = {{"zoom", doc.zoom},
                  {"scale", doc.scaleIndex},
                  {"origin", doc.timeOrigin},
                  {"clipView", doc.clipViewOption},
                  {"scroll", doc.horizontalScroll}};
  json["options"] = {{"savePrompt", doc.savePrompt},
                     {"bufferedMovie", doc.bufferedMovie},
                     {"bufferedPreview", doc.bufferedPreview},
                     {"noMessage", doc.noMessage},
                     {"transitionWarning", doc.transitionWarning},
                     {"linkCounter", doc.linkCounter}};
  const TLEvent* end = TimelineEnd(&head);
  if (!head.captureName.empty()) json["title"] = TruncateUtf8(head.captureName, kMaxCaptureNameLength);
  if (end != nullptr && !end->captureName.empty()) {
    json["recordIn"] = TruncateUtf8(end->captureName, kMaxCaptureNameLength);
  }
  if (head.cropMargins.Any()) {
    const CropMargins& crop = head.cropMargins;
    json["cropMargins"] = {crop.Left(), crop.Right(), crop.Top(), crop.Bottom()};
  }
  if (head.audioPreviewOption != 0) json["audioPreviewOption"] = head.audioPreviewOption;
  if (!head.volume.empty()) json["masterVolume"] = EnvelopeToJson(head.volume);
  if (!head.balance.empty()) json["masterBalance"] = EnvelopeToJson(head.balance);
  if (!head.filters.empty()) json["filters"] = FilterListToJson(head.filters);
  json["segments"] = RenderSegmentsToJson(head.segments);

  ordered_json tracks = ordered_json::array();
  for (const TLEvent* track = GetNextEvent(&head); track != nullptr && track->kind == kEventTrackBegin;
       track = GetNextEvent(track)) {
    tracks.push_back(TrackToJson(*track, paths));
  }
  json["tracks"] = std::move(tracks);
  json.update(MarksToJson(doc, paths));
  return json;
}

bool Fail(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
  return false;
}

}  // namespace

bool FormatTimelineFile(const CTestDoc& doc, const fs::path& folder, std::string* text, std::string* error) {
  const TLEvent* head = doc.savedHead ? doc.savedHead.get() : doc.Head();
  if (head == nullptr || head->kind != kEventTimelineBegin) return Fail(error, "The document holds no timeline.");
  ordered_json json = DocumentToJson(doc, *head, PathWriter(folder));
  try {
    *text = json.dump(2, ' ', false, ordered_json::error_handler_t::strict);
  } catch (const ordered_json::type_error&) {
    return Fail(error, "The timeline holds a text (a file or clip name) that is not valid UTF-8.");
  }
  *text += '\n';
  return true;
}

bool WriteTimelineFile(const CTestDoc& doc, const fs::path& path, std::string* error) {
  std::string text;
  if (!FormatTimelineFile(doc, fs::absolute(path).parent_path(), &text, error)) return false;
  std::string why;
  if (!WriteFileAtomically(path, text, &why)) {
    return Fail(error, "Cannot save the timeline: " + why + ".");
  }
  return true;
}

bool SaveTimelineDocument(CTestDoc& doc, const fs::path& path, std::string* error) {
  if (!WriteTimelineFile(doc, path, error)) return false;
  doc.pathName = path.string();
  doc.title = path.filename().string();
  doc.SetModifiedFlag(false);
  return true;
}

}  // namespace sprocket
