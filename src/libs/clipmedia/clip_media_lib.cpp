#include "libs/clipmedia/clip_media_lib.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <list>
#include <mutex>

#include "platform/global_memory.h"
#include "platform/media/audio_sample_reader.h"
#include "platform/media/avi_media_header.h"
#include "platform/media/movie_header.h"
#include "platform/media/video_frame_reader.h"

namespace sprocket {

// The media layer reads the same 444-byte layout that clip records keep.
static_assert(sizeof(AviMediaHeader) == sizeof(AviClipHeader));
static_assert(offsetof(AviMediaHeader, video) == offsetof(AviClipHeader, video));
static_assert(offsetof(AviMediaHeader, audio) == offsetof(AviClipHeader, audio));
static_assert(offsetof(AviMediaHeader, format) == offsetof(AviClipHeader, picture));
static_assert(offsetof(AviMediaHeader, wave) == offsetof(AviClipHeader, wave));
static_assert(sizeof(AVISTREAMINFO) == sizeof(AviStreamInfo));

namespace {

// Clips kept open during a render: enough for the tracks and transitions of
// one frame.
constexpr std::size_t kKeptClips = 8;

// What identifies the contents of a file on disk.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t modified = 0;
  bool operator==(const FileStamp&) const = default;
};

bool StampOf(const std::string& path, FileStamp* stamp) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  *stamp = FileStamp{info.st_dev, info.st_ino, info.st_size,
                     static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
  return true;
}

}  // namespace

struct ClipMediaLib::Cache {
  struct Clip {
    std::string path;
    FileStamp stamp;
    std::unique_ptr<VideoFrameReader> video;
    std::unique_ptr<AudioSampleReader> audio;
  };

  std::mutex mutex;
  bool keeping = false;
  std::list<Clip> clips;  // most recently used first

  // The clip of a path, opened afresh or kept; null when the file is missing.
  Clip* Find(const std::string& path) {
    FileStamp stamp;
    if (!StampOf(path, &stamp)) return nullptr;
    for (auto it = clips.begin(); it != clips.end(); ++it) {
      if (it->path != path) continue;
      if (!(it->stamp == stamp)) {
        clips.erase(it);
        break;
      }
      clips.splice(clips.begin(), clips, it);
      return &clips.front();
    }
    clips.push_front(Clip{path, stamp, nullptr, nullptr});
    if (clips.size() > (keeping ? kKeptClips : 1)) clips.pop_back();
    return &clips.front();
  }

  // Outside a render nothing stays open after a call.
  void Done() {
    if (!keeping) clips.clear();
  }
};

ClipMediaLib::ClipMediaLib() : cache_(std::make_unique<Cache>()) {}
ClipMediaLib::~ClipMediaLib() = default;

int ClipMediaLib::ReadAviClipInfo(const std::string& path, ClipMediaHeader* header) {
  AviMediaHeader read;
  std::string error;
  if (!ReadMovieHeader(path, &read, &error)) return 0;
  AviClipHeader copy;
  std::memcpy(&copy, &read, sizeof copy);
  std::int32_t fieldOrder = header->Avi() != nullptr ? header->FieldOrder() : 0;
  *header = ClipMediaHeader(copy);
  header->SetFieldOrder(fieldOrder);
  return 1;
}

int ClipMediaLib::GetAviStreamInfo(const std::string& path, AviStreamInfo* info) {
  AviMediaHeader header;
  std::string error;
  if (!ReadMovieHeader(path, &header, &error) || header.video.fccType == 0) return 0;
  std::memcpy(info, &header.video, sizeof *info);
  return 1;
}

std::uint8_t* ClipMediaLib::ScaleClipFrame(const std::string& name, std::int32_t frame, const ClipMediaHeader*) {
  std::lock_guard lock(cache_->mutex);
  GlobalBlock picture;
  if (Cache::Clip* clip = cache_->Find(name)) {
    if (!clip->video) {
      clip->video = std::make_unique<VideoFrameReader>();
      if (!clip->video->Open(name)) clip->video.reset();
    }
    if (clip->video) {
      std::int64_t last = clip->video->FrameCount() - 1;
      picture = clip->video->ReadFrame(std::clamp<std::int64_t>(frame, 0, last));
    }
  }
  cache_->Done();
  if (!picture) return nullptr;
  auto* bits = static_cast<std::uint8_t*>(GlobalLock(picture.get()));
  if (bits != nullptr) picture.release();
  return bits;
}

std::int32_t ClipMediaLib::ReadClipAudioSamples(const std::string& path, std::int32_t startSample, void* buffer,
                                                std::int32_t bufferBytes, std::int32_t sampleCount) {
  if (buffer == nullptr || bufferBytes < 0 || sampleCount < 0 || startSample < 0) return -1;
  std::lock_guard lock(cache_->mutex);
  std::int64_t read = -1;
  if (Cache::Clip* clip = cache_->Find(path)) {
    if (!clip->audio) {
      clip->audio = std::make_unique<AudioSampleReader>();
      if (!clip->audio->Open(path)) clip->audio.reset();
    }
    if (clip->audio) read = clip->audio->Read(startSample, sampleCount, buffer, static_cast<std::size_t>(bufferBytes));
  }
  cache_->Done();
  return static_cast<std::int32_t>(read);
}

void ClipMediaLib::SetClipRenderState(int state) {
  std::lock_guard lock(cache_->mutex);
  cache_->keeping = state == 0;
  cache_->Done();
}

int ClipMediaLib::KeptClipCount() const {
  std::lock_guard lock(cache_->mutex);
  return static_cast<int>(cache_->clips.size());
}

void FreeClipFrame(std::uint8_t* picture) {
  if (picture == nullptr) return;
  HGLOBAL block = GlobalHandle(picture);
  if (block == nullptr) return;
  GlobalUnlock(block);
  GlobalFree(block);
}

ClipMediaLib& TheClipMediaLib() {
  // The library's open clips are the process's, as callers in every part of
  // the editor share them between the two render-state calls.
  static ClipMediaLib library;
  return library;
}

int ReadAviClipInfo(const std::string& path, ClipMediaHeader* header) {
  return TheClipMediaLib().ReadAviClipInfo(path, header);
}

int GetAviStreamInfo(const std::string& path, AviStreamInfo* info) {
  return TheClipMediaLib().GetAviStreamInfo(path, info);
}

std::uint8_t* ScaleClipFrame(const std::string& name, std::int32_t frame, const ClipMediaHeader* header) {
  return TheClipMediaLib().ScaleClipFrame(name, frame, header);
}

std::int32_t ReadClipAudioSamples(const std::string& path, std::int32_t startSample, void* buffer,
                                  std::int32_t bufferBytes, std::int32_t sampleCount) {
  return TheClipMediaLib().ReadClipAudioSamples(path, startSample, buffer, bufferBytes, sampleCount);
}

void SetClipRenderState(int state) { TheClipMediaLib().SetClipRenderState(state); }

}  // namespace sprocket
