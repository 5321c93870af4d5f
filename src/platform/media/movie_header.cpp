#include "platform/media/movie_header.h"

#include <cstring>

#include "platform/file_paths.h"
#include "platform/media/audio_sample_reader.h"
#include "platform/media/avi_index.h"
#include "platform/media/riff_reader.h"
#include "platform/media/video_frame_reader.h"

namespace sprocket {

namespace {

bool IsRiffAvi(const std::string& path) {
  RiffReader riff;
  return riff.Open(path) && riff.FindRiff(MakeFourCC("AVI ")).has_value();
}

void FillVideo(const VideoFrameReader& reader, AviMediaHeader* header) {
  std::uint32_t rate = 0;
  std::uint32_t scale = 0;
  reader.FrameRate(&rate, &scale);
  auto frames = static_cast<std::uint32_t>(reader.FrameCount());
  AVISTREAMINFO& video = header->video;
  video.fccType = kStreamTypeVideo;
  video.dwScale = scale;
  video.dwRate = rate;
  video.dwLength = frames;
  video.rcFrameRight = reader.Width();
  video.rcFrameBottom = reader.Height();
  header->file.dwWidth = static_cast<std::uint32_t>(reader.Width());
  header->file.dwHeight = static_cast<std::uint32_t>(reader.Height());
  header->file.dwScale = scale;
  header->file.dwRate = rate;
  header->file.dwLength = frames;
  header->format = MakeDib24Header(reader.Width(), reader.Height());
}

void FillAudio(const AudioSampleReader& reader, AviMediaHeader* header) {
  header->wave = reader.DeliveredFormat();
  AVISTREAMINFO& audio = header->audio;
  audio.fccType = kStreamTypeAudio;
  audio.dwScale = header->wave.nBlockAlign;
  audio.dwRate = header->wave.nAvgBytesPerSec;
  audio.dwSampleSize = header->wave.nBlockAlign;
  audio.dwLength = static_cast<std::uint32_t>(reader.SampleCount());
}

}  // namespace

bool ReadMovieHeader(const std::string& path, AviMediaHeader* header, std::string* error) {
  *header = AviMediaHeader{};
  if (IsRiffAvi(path)) {
    AviFileIndex index;
    if (!index.Open(path)) {
      if (error != nullptr) *error = index.ErrorText();
      return false;
    }
    *header = index.ClipHeader();
    return true;
  }
  VideoFrameReader video;
  AudioSampleReader audio;
  bool hasVideo = video.Open(path);
  bool hasAudio = audio.Open(path);
  if (!hasVideo && !hasAudio) {
    if (error != nullptr) *error = video.ErrorText();
    return false;
  }
  int streams = 0;
  if (hasVideo) {
    FillVideo(video, header);
    ++streams;
  }
  if (hasAudio) {
    FillAudio(audio, header);
    ++streams;
  }
  header->file.dwStreams = static_cast<std::uint32_t>(streams);
  header->file.dwCaps = 1;
  std::string type = ToUpperAscii(FileExtension(path));
  std::strncpy(header->file.szFileType, type.empty() ? "MOVIE" : type.c_str() + 1, sizeof header->file.szFileType - 1);
  return true;
}

}  // namespace sprocket
