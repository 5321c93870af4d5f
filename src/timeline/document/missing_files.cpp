#include "timeline/document/missing_files.h"

#include <filesystem>
#include <map>
#include <vector>

#include "platform/file_paths.h"
#include "platform/prompts.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/clip_factory.h"
#include "timeline/document/clip_header_reader.h"
#include "timeline/document/event_edits.h"

namespace sprocket {

namespace {

// The clips that play a media file: clip-in records with a file name that
// do not stand for an intermediate movie.
bool HasMediaFile(const TLEvent& event) {
  return event.kind == kEventClipIn && !event.name.empty() && !event.intermediateMovie;
}

// The media type a replacement file gets: an image sequence stays one when
// its new first file is a picture.
std::int32_t ReplacementMediaType(const TLEvent& clip, const std::string& path) {
  std::int32_t code = GetMediaTypeCode(path);
  if (clip.mediaType == kMediaOther && IsImageMediaType(code)) return kMediaOther;
  return code;
}

bool SuitsTrack(char trackType, std::int32_t code) {
  if (trackType == kTrackAudio) return code == kMediaWav || code == kMediaAvi;
  return IsVideoMediaType(code) || IsImageMediaType(code) || code == kMediaOther;
}

// Puts the file `path` with its header into a clip in place of its old media.
void ReplaceClipMedia(TLEvent& clip, const MediaPathParts& parts, std::int32_t mediaType,
                      const std::optional<ClipMediaHeader>& header) {
  clip.directory = parts.directory;
  clip.name = parts.name;
  clip.extension = parts.extension;
  clip.mediaType = mediaType;
  clip.header = header;
  if (clip.header && clip.header->Avi() != nullptr) ApplyAviFieldInfoToClip(clip);
  clip.thumbnail = nullptr;
  clip.waveform0 = nullptr;
  clip.waveform1 = nullptr;
  clip.cachedFrames.reset();
  clip.derivedFiles = DerivedFileNames{};
}

// Checks a replacement for the clips of one missing path and puts it in.
// False, after a message, when the replacement cannot be used.
bool ApplyReplacement(CTestDoc& doc, const std::vector<TLEvent*>& clips, const std::string& oldPath,
                      const std::string& newPath) {
  const TLEvent& first = *clips.front();
  MediaPathParts parts;
  std::int32_t mediaType = ReplacementMediaType(first, newPath);
  std::string problem;
  std::optional<ClipMediaHeader> header;
  std::int32_t fieldMode = first.header && first.header->Sequence() ? first.header->Sequence()->fieldMode : 0;
  if (!IsRegularFile(newPath)) {
    problem = "The file \"" + newPath + "\" does not exist.";
  } else if (!SplitMediaPath(newPath, &parts)) {
    problem = "The path \"" + newPath + "\" is too long for a clip.";
  } else if (!SuitsTrack(first.trackType, mediaType)) {
    problem = "The file \"" + newPath + "\" is not the kind of media its track holds.";
  } else if (!ReadMediaHeader(newPath, mediaType, &header, &problem, fieldMode)) {
    // `problem` says why.
  }
  if (!problem.empty()) {
    ShowMessage(problem + "\n\"" + oldPath + "\" was not replaced.", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  for (TLEvent* clip : clips) {
    if (SuitsTrack(clip->trackType, mediaType)) ReplaceClipMedia(*clip, parts, mediaType, header);
  }
  for (ClipMarkSet& marks : doc.clipMarkSets) {
    if (marks.path == oldPath) marks.path = newPath;
  }
  return true;
}

}  // namespace

int CheckMissingClipFiles(CTestDoc& doc, MissingFileResolver& resolver, std::set<std::string>* declinedPaths) {
  // Missing paths in the order their first clips come, with all their clips.
  std::vector<std::string> order;
  std::map<std::string, std::vector<TLEvent*>> clipsByPath;
  std::set<std::string> present;
  for (TLEvent* event = doc.Head(); event != nullptr; event = GetNextEvent(event)) {
    if (!HasMediaFile(*event)) continue;
    std::string path = event->MediaPath();
    if (declinedPaths != nullptr && declinedPaths->count(path) != 0) continue;
    if (present.count(path) != 0) continue;
    auto found = clipsByPath.find(path);
    if (found != clipsByPath.end()) {
      found->second.push_back(event);
    } else if (IsRegularFile(path)) {
      present.insert(path);
    } else {
      order.push_back(path);
      clipsByPath[path].push_back(event);
    }
  }

  int replaced = 0;
  for (const std::string& path : order) {
    const std::vector<TLEvent*>& clips = clipsByPath[path];
    std::optional<std::string> answer = resolver.AskReplacement(path, *clips.front());
    if (!answer) {
      if (declinedPaths != nullptr) declinedPaths->insert(path);
      continue;
    }
    if (!ApplyReplacement(doc, clips, path, *answer)) continue;
    for (const TLEvent* clip : clips) replaced += clip->MediaPath() == path ? 0 : 1;
  }
  if (replaced > 0) doc.SetModifiedFlag();
  return replaced;
}

}  // namespace sprocket
