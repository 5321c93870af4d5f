#pragma once
// Small timelines and headers made in code for the timeline tests.

#include <cstdint>
#include <string>

#include "timeline/basics/media_type.h"
#include "timeline/records/clip_media_header.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/tl_event.h"
#include "timeline/records/volume_envelope.h"

namespace sprocket::testing {

// The master list as text: kind, track number and, for clip records, "@time".
inline std::string MasterText(const TLEvent* head) {
  std::string text;
  for (const TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
    if (!text.empty()) text += ' ';
    text += event->kind;
    if (event->trackNumber != 0) text += std::to_string(event->trackNumber);
    if (event->kind == kEventClipIn || event->kind == kEventClipOut) text += "@" + std::to_string(event->time);
  }
  return text;
}

// One track chain as text, from its header to its end.
inline std::string ChainText(const TLEvent* head, int track) {
  std::string text;
  for (const TLEvent* event = FindTrack(head, track); event != nullptr; event = event->next) {
    if (!text.empty()) text += ' ';
    text += event->kind;
    if (event->kind == kEventClipIn || event->kind == kEventClipOut) text += "@" + std::to_string(event->time);
  }
  return text;
}

// An AVI header: `frames` frames at rate / scale per second, with PCM sound
// of `audioBits` bits (0: none).
inline ClipMediaHeader MakeAviHeader(std::uint32_t frames, std::uint32_t rate = 30, std::uint32_t scale = 1,
                                     std::uint16_t audioBits = 16,
                                     std::uint32_t handler = MakeFourcc('M', 'J', 'P', 'G')) {
  AviClipHeader avi{};
  avi.file.length = frames;
  avi.file.rate = rate;
  avi.file.scale = scale;
  avi.video.handler = handler;
  avi.video.rate = rate;
  avi.video.scale = scale;
  avi.video.length = frames;
  avi.picture.width = 320;
  avi.picture.height = 240;
  if (audioBits != 0) {
    avi.audio.length = 44100;
    avi.wave.formatTag = 1;
    avi.wave.channels = 2;
    avi.wave.samplesPerSec = 44100;
    avi.wave.bitsPerSample = audioBits;
    avi.wave.blockAlign = static_cast<std::uint16_t>(2 * audioBits / 8);
    avi.wave.avgBytesPerSec = 44100u * avi.wave.blockAlign;
  }
  return ClipMediaHeader(avi);
}

// The fields of an AVI clip of `path` parts with its header.
inline TLEventFields AviClip(const std::string& name, std::int32_t playIn, std::int32_t playOut,
                             std::uint32_t frames = 300) {
  TLEventFields fields;
  fields.directory = "/media/";
  fields.name = name;
  fields.extension = ".avi";
  fields.mediaType = kMediaAvi;
  fields.playIn = playIn;
  fields.playOut = playOut;
  fields.header = MakeAviHeader(frames);
  return fields;
}

// The fields of a WAV clip "/media/<name>.wav" playing `playOut` ms, with
// flat envelopes.
inline TLEventFields WavClip(const std::string& name, std::int32_t playOut) {
  TLEventFields fields;
  fields.directory = "/media/";
  fields.name = name;
  fields.extension = ".wav";
  fields.mediaType = kMediaWav;
  fields.playOut = playOut;
  fields.volume = fields.balance = FlatEnvelope();
  return fields;
}

}  // namespace sprocket::testing
