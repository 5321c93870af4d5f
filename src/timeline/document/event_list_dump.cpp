#include "timeline/document/event_list_dump.h"

#include <sstream>

namespace sprocket {

namespace {

// FNV-1a of a byte range: header bytes are long, their hash tells changes.
std::uint32_t HashBytes(std::span<const std::uint8_t> bytes) {
  std::uint32_t hash = 2166136261u;
  for (std::uint8_t byte : bytes) hash = (hash ^ byte) * 16777619u;
  return hash;
}

void DumpEnvelope(std::ostream& out, const char* name, const VolumeEnvelope& envelope) {
  out << ' ' << name << '[';
  for (const VolumePoint& point : envelope) out << point.level << '@' << point.position << ' ';
  out << ']';
}

void DumpFilters(std::ostream& out, const char* name, const FilterList& filters) {
  out << ' ' << name << '[';
  for (const TLFilter& filter : filters) {
    out << filter.id << ':' << filter.script << ':' << filter.start << '-' << filter.end << ':' << filter.fileName
        << ':' << filter.rendered << ":p";
    for (const TLFilterParam& param : filter.params) {
      for (std::int32_t value : param.values) out << value << ',';
      out << param.name << ';';
    }
    out << ' ';
  }
  out << ']';
}

void DumpClip(std::ostream& out, const TLEvent& clip) {
  out << " play=" << clip.playIn << '-' << clip.playOut << " speed=" << clip.speed << " rev=" << clip.reverse
      << " media=" << clip.mediaType << " path=" << clip.MediaPath() << " name=" << clip.clipName
      << " title=" << clip.title << " desc=" << clip.description;
  if (clip.header) {
    out << " header=" << static_cast<int>(clip.header->Kind()) << ':' << std::hex << HashBytes(clip.header->Bytes())
        << std::dec << ":fo" << clip.header->FieldOrder();
  }
  DumpFilters(out, "filters", clip.filters);
  DumpEnvelope(out, "vol", clip.volume);
  DumpEnvelope(out, "bal", clip.balance);
  out << " link=" << clip.linkNumber << " chan=" << clip.channelMode << " tx=" << clip.transitionId
      << " sides=" << clip.leftSide << '/' << clip.rightSide << " im=" << (clip.intermediateMovie ? 1 : 0)
      << " wave=" << clip.derivedFiles.waveDirectory << clip.derivedFiles.waveName << clip.derivedFiles.waveExtension
      << " crop=" << clip.crop.leftTop << ',' << clip.crop.rightBottom << " cvol=" << clip.clipVolume;
}

void DumpPictures(std::ostream& out, const TLEvent& clip) {
  out << " pics=" << (clip.thumbnail ? 't' : '-') << (clip.waveform0 ? 'w' : '-') << (clip.waveform1 ? 'w' : '-')
      << (clip.transitionIcon ? 'i' : '-');
}

}  // namespace

std::string ClipContentKey(const TLEvent& clip) {
  std::ostringstream out;
  out << clip.trackType << clip.trackNumber << ' ' << clip.time << '-' << clip.OutTime();
  DumpClip(out, clip);
  return out.str();
}

std::string DumpEventList(const TLEvent* head) {
  std::ostringstream out;
  for (const TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
    out << event->kind << ' ' << (event->trackType != 0 ? event->trackType : '-') << event->trackNumber
        << " t=" << event->time;
    switch (event->kind) {
      case kEventClipIn:
        DumpClip(out, *event);
        DumpPictures(out, *event);
        break;
      case kEventTrackBegin:
        out << " view=" << event->viewStatus << " preview=" << event->audioPreviewSelection;
        break;
      case kEventTimelineBegin:
        out << " rate=" << event->rate << " option=" << event->audioPreviewOption;
        DumpFilters(out, "segments", event->segments);
        break;
      default:
        break;
    }
    out << '\n';
  }
  return out.str();
}

std::string DumpDocument(const CTestDoc& doc) {
  std::ostringstream out;
  out << DumpEventList(doc.Head()) << "tracks=" << doc.trackCount << " duration=" << doc.duration << " selected=";
  for (const ClipSelection& entry : doc.selection) out << entry.clip->trackNumber << '@' << entry.clip->time << ' ';
  out << " marksets=" << doc.clipMarkSets.size() << '\n';
  return out.str();
}

}  // namespace sprocket
