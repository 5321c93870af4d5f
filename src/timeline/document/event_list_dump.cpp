#include "timeline/document/event_list_dump.h"

#include <ostream>
#include <span>
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

// The record's line; `pictures` adds which pictures the view made for a clip.
void DumpEvent(std::ostream& out, const TLEvent& event, bool pictures) {
  out << event.kind << ' ' << (event.trackType != 0 ? event.trackType : '-') << event.trackNumber
      << " t=" << event.time;
  switch (event.kind) {
    case kEventClipIn:
      DumpClip(out, event);
      if (pictures) DumpPictures(out, event);
      break;
    case kEventTrackBegin:
      out << " view=" << event.viewStatus << " preview=" << event.audioPreviewSelection;
      break;
    case kEventTimelineBegin:
      out << " rate=" << event.rate << " option=" << event.audioPreviewOption;
      DumpFilters(out, "segments", event.segments);
      break;
    default:
      break;
  }
  out << '\n';
}

void DumpBytes(std::ostream& out, const char* name, std::span<const std::uint8_t> bytes) {
  out << ' ' << name << '=' << bytes.size() << ':' << std::hex << HashBytes(bytes) << std::dec;
}

void DumpParam(std::ostream& out, const TLFilterParam& param) {
  out << "    param";
  for (std::int32_t value : param.values) out << ' ' << value;
  out << " enable=" << param.enable << " name=" << param.name << " second=" << param.secondName;
  if (param.tables) {
    const TLParamTables& tables = *param.tables;
    out << " extra";
    for (std::int32_t value : tables.extra) out << ' ' << value;
    DumpBytes(out, "red", tables.red);
    DumpBytes(out, "green", tables.green);
    DumpBytes(out, "blue", tables.blue);
    DumpBytes(out, "master", tables.master);
  }
  out << '\n';
}

// Every field of every record of a list, one record a line and one line for
// each parameter and bitmap.
void DumpFilterDetail(std::ostream& out, const char* name, const FilterList& filters) {
  for (const TLFilter& filter : filters) {
    out << "  " << name << " id=" << filter.id << " script=" << filter.script << " span=" << filter.start << '-'
        << filter.end << '/' << filter.length << " rendered=" << filter.rendered << " file=" << filter.fileName
        << " marked=" << filter.marked << " board=" << filter.boardClip << " count=" << filter.count
        << " effect=" << filter.effectData[0] << ',' << filter.effectData[1] << ',' << filter.effectData[2];
    DumpBytes(out, "plugIn", filter.plugInData);
    DumpBytes(out, "texture", filter.textureMap);
    DumpBytes(out, "stored", filter.storedEffectData);
    out << '\n';
    for (const TLFilterParam& param : filter.params) DumpParam(out, param);
    for (const TLBitmapNode& bitmap : filter.bitmaps) {
      out << "    bitmap " << bitmap.name;
      DumpBytes(out, "picture", bitmap.picture.Bytes());
      out << '\n';
    }
  }
}

// What DumpEvent leaves out of a record.
void DumpEventDetail(std::ostream& out, const TLEvent& event) {
  switch (event.kind) {
    case kEventClipIn:
      out << "  clip play=" << event.playIn << '-' << event.playOut << " crop=" << event.crop.word3 << ','
          << event.crop.word4;
      DumpBytes(out, "picture", event.ownPicture.Bytes());
      if (event.intermediateMovie) {
        const IntermediateMovie& movie = *event.intermediateMovie;
        out << " movie=" << movie.id << ':' << movie.start << '-' << movie.end << ':' << movie.name;
      }
      out << '\n';
      DumpFilterDetail(out, "filter", event.filters);
      break;
    case kEventTrackBegin:
      out << "  track status=" << event.statusCode << '\n';
      DumpFilterDetail(out, "filter", event.filters);
      break;
    case kEventTimelineBegin:
      out << "  head title=" << event.captureName << " crop=" << event.cropMargins.leftBottom << ','
          << event.cropMargins.rightTop;
      DumpEnvelope(out, "vol", event.volume);
      DumpEnvelope(out, "bal", event.balance);
      out << '\n';
      DumpFilterDetail(out, "filter", event.filters);
      DumpFilterDetail(out, "segment", event.segments);
      break;
    case kEventTimelineEnd:
      out << "  end recordIn=" << event.captureName << '\n';
      break;
    default:
      break;
  }
}

void DumpMarks(std::ostream& out, const CTestDoc& doc) {
  for (const IntermediateMovie& movie : doc.intermediateMovies) {
    out << "movie " << movie.id << ':' << movie.start << '-' << movie.end << ':' << movie.name << '\n';
  }
  for (const SnapshotMark& mark : doc.snapshotMarks) out << "snapshot " << mark.time << '\n';
  for (const IndexMark& mark : doc.indexMarks)
    out << "index " << mark.time << ':' << mark.name << ':' << mark.note << '\n';
  for (const ClipMarkSet& set : doc.clipMarkSets) {
    out << "clip marks " << set.path << '@' << set.clipTime << " track " << set.trackNumber << ':';
    for (const ClipIndexMark& mark : set.marks) out << ' ' << mark.time << ':' << mark.name << ':' << mark.note;
    out << '\n';
  }
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
  for (const TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) DumpEvent(out, *event, true);
  return out.str();
}

std::string DumpKeptDocument(const CTestDoc& doc) {
  std::ostringstream out;
  for (const TLEvent* event = doc.Head(); event != nullptr; event = GetNextEvent(event)) {
    DumpEvent(out, *event, false);
    DumpEventDetail(out, *event);
  }
  out << "tracks=" << doc.trackCount << " duration=" << doc.duration << " rate=" << doc.rate
      << " movie=" << doc.movieRange.start << '-' << doc.movieRange.end << " preview=" << doc.previewRange.start << '-'
      << doc.previewRange.end << " follow=" << doc.rangesFollowContent << " position=" << doc.currentPosition << '\n';
  out << "view zoom=" << doc.zoom << " scale=" << doc.scaleIndex << " origin=" << doc.timeOrigin
      << " clipView=" << doc.clipViewOption << " scroll=" << doc.horizontalScroll << '\n';
  out << "options savePrompt=" << doc.savePrompt << " buffered=" << doc.bufferedMovie << ',' << doc.bufferedPreview
      << " noMessage=" << doc.noMessage << " transitionWarning=" << doc.transitionWarning
      << " links=" << doc.linkCounter << '\n';
  DumpMarks(out, doc);
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
