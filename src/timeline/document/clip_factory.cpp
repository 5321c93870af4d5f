#include "timeline/document/clip_factory.h"

#include "platform/file_paths.h"
#include "timeline/basics/media_type.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/clip_header_reader.h"
#include "timeline/document/document.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {

namespace {

// Speeds a clip may play at, in percent.
constexpr std::int32_t kMinSpeed = 1;
constexpr std::int32_t kMaxSpeed = 10000;

int Fail(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
  return 0;
}

}  // namespace

bool SplitMediaPath(std::string_view path, MediaPathParts* parts) {
  std::string_view fileName = FileNamePart(path);
  if (fileName.empty()) return false;
  std::string_view extension = FileExtension(path);
  std::string_view directory = path.substr(0, path.size() - fileName.size());
  std::string_view name = fileName.substr(0, fileName.size() - extension.size());
  if (directory.size() > kMaxPathPartLength || name.size() > kMaxPathPartLength ||
      extension.size() > kMaxPathPartLength) {
    return false;
  }
  parts->directory = directory;
  parts->name = name;
  parts->extension = extension;
  return true;
}

std::string TruncateUtf8(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return std::string(text);
  std::size_t end = maxBytes;
  // Step back over continuation bytes (10xxxxxx) to the start of the cut character.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end));
}

bool IsKnownMediaType(std::int32_t code) {
  return code == 0 || code == kMediaOther || IsVideoMediaType(code) || IsImageMediaType(code) || IsAudioMediaType(code);
}

int CreateClipFromFile(TLEvent* head, std::int32_t time, char trackType, std::int32_t trackNumber, std::int32_t playIn,
                       std::int32_t playOut, std::int32_t mediaType, std::int32_t speed, int /*flag*/,
                       std::string_view clipName, std::string_view fileName, std::string_view extension,
                       std::string_view directory, const ClipCopyParts* copy, TLEvent** newClip, std::string* error) {
  if (newClip != nullptr) *newClip = nullptr;
  if (head == nullptr || head->kind != kEventTimelineBegin)
    return Fail(error, "There is no timeline to add the clip to.");
  const TLEvent* track = FindTrack(head, trackNumber);
  if (track == nullptr || track->trackType != trackType) {
    return Fail(error, "The timeline has no track " + std::to_string(trackNumber) + " of type '" +
                           std::string(1, trackType) + "'.");
  }
  if (time < 0 || time > kMaxTimelineEnd) return Fail(error, "The clip's start time is out of range.");
  if (playIn < 0 || playOut < playIn) return Fail(error, "The clip's play-in and play-out times are out of range.");
  if (speed < kMinSpeed || speed > kMaxSpeed) return Fail(error, "The clip's speed is out of range.");
  if (!IsKnownMediaType(mediaType)) return Fail(error, "Unknown media type " + std::to_string(mediaType) + ".");
  if (directory.size() > kMaxPathPartLength || fileName.size() > kMaxPathPartLength ||
      extension.size() > kMaxPathPartLength) {
    return Fail(error, "The media file's path is too long for a clip.");
  }

  TLEventFields fields;
  fields.playIn = playIn;
  fields.playOut = playOut;
  fields.speed = speed;
  fields.mediaType = mediaType;
  fields.directory = directory;
  fields.name = fileName;
  fields.extension = extension;
  fields.clipName = TruncateUtf8(clipName, kMaxClipNameLength);

  std::int64_t out = 0;
  if (copy != nullptr) {
    if (copy->header != nullptr) fields.header = *copy->header;
    fields.volume = copy->volume != nullptr ? *copy->volume : FlatEnvelope();
    fields.balance = copy->balance != nullptr ? *copy->balance : FlatEnvelope();
    out = copy->outTime;
  } else {
    fields.volume = FlatEnvelope();
    fields.balance = FlatEnvelope();
    std::int64_t length = (std::int64_t{playOut} - playIn) * kNormalSpeed / speed;
    if (time + length > kMaxTimelineEnd) return Fail(error, "The clip would end after 10 hours.");
    out = SnapToFrame(static_cast<std::int32_t>(time + length), head->rate);
  }
  if (out <= time || out > kMaxTimelineEnd) return Fail(error, "The clip's out time is out of range.");

  TLEvent* clip = InsertClip(head, trackNumber, time, static_cast<std::int32_t>(out), fields);
  if (clip == nullptr) return Fail(error, "The clip cannot be placed on track " + std::to_string(trackNumber) + ".");
  if (copy == nullptr && ReadClipHeader(clip, error) == 0) {
    DeleteClip(clip);
    return 0;
  }
  if (newClip != nullptr) *newClip = clip;
  return 1;
}

}  // namespace sprocket
