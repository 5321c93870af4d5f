#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <ctime>
#include <fstream>

#include "clip_media_files.h"
#include "ended_process.h"
#include "platform/files/atomic_file.h"
#include "platform/string_table.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/event_edits.h"
#include "timeline/document/render_segments.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"
#include "timeline/tlefile/base64_text.h"
#include "timeline/tlefile/timeline_backup.h"
#include "timeline/tlefile/timeline_file.h"
#include "timeline_fixtures.h"

namespace sprocket {
namespace {

namespace fs = std::filesystem;
using testing::EndedProcessId;
using testing::MasterText;
using testing::TempDir;

std::string Text(const CTestDoc& doc, const fs::path& folder) {
  std::string text;
  std::string error;
  EXPECT_TRUE(FormatTimelineFile(doc, folder, &text, &error)) << error;
  return text;
}

TLFilter RichFilter() {
  TLFilter filter;
  filter.id = 1304;
  filter.script = "fade.scr";
  TLFilterParam param;
  param.values = {1, -2, 3, 4, 5, 6, 7, 2147483647};
  param.enable = 1;
  param.name = "strength";
  param.secondName = "second";
  TLParamTables tables;
  tables.extra = {10, 9, 8, 7, 6, 5, 4, 3, 2, 1};
  for (int i = 0; i < 256; ++i) {
    tables.red[i] = static_cast<std::uint8_t>(255 - i);
    tables.green[i] = static_cast<std::uint8_t>(i);
    tables.blue[i] = static_cast<std::uint8_t>(i / 2);
    tables.master[i] = static_cast<std::uint8_t>(i * 3);
  }
  param.tables = tables;
  filter.params = {param, TLFilterParam{}};
  TLBitmapNode node;
  node.name = "mask";
  node.picture = OwnedBlock::FromBytes(std::vector<std::uint8_t>{1, 2, 3, 4, 5});
  filter.bitmaps.push_back(std::move(node));
  filter.plugInData = std::vector<std::uint8_t>(400, 7);
  filter.textureMap = {9, 8};
  filter.storedEffectData = {0, 1, 2};
  filter.effectData = {11, 12, 13};
  return filter;
}

// A document with every value the file holds set to something other than
// its default, with media in `dir` (a still, a sound, an image sequence) and
// a still outside it.
void MakeRichDocument(CTestDoc& doc, const TempDir& dir, const TempDir& outside) {
  dir.Write("media/pic.bmp", "BM");
  dir.Write("media/voice.wav", testing::SilentWave(2, 22050, 16, 8820));
  for (const char* name : {"media/seq01.bmp", "media/seq02.bmp", "media/seq03.bmp", "media/seq04.bmp"}) {
    dir.Write(name, "BM");
  }
  outside.Write("far.bmp", "BM");
  dir.Write("render/seg1.avi", "rendered");

  doc.ReplaceTimeline(NewTimeline(2500, 60000));
  doc.rate = 2500;
  TLEvent* head = doc.Head();
  for (char type : {'V', 'X', 'V', 'A'}) AppendTrack(head, type);
  doc.SetDuration(60000);

  TLEventFields still;
  std::string media = dir.path().string() + "/media/";
  still.directory = media;
  still.name = "pic";
  still.extension = ".bmp";
  still.mediaType = kMediaBmp;
  still.playIn = 100;
  still.playOut = 700;
  still.speed = 150;
  still.reverse = 1;
  still.clipName = "nineteen characters";
  still.title = "A title";
  still.description = "Line one\nline two";
  still.filters = {RichFilter()};
  still.volume = {{10000, 0}, {20000, 2500}, {0, 10000}};
  still.balance = {{0, 0}, {10000, 5000}, {20000, 10000}};
  still.linkNumber = 4000000000u;
  still.channelMode = 1003;
  still.crop = {1 | 2 << 16, 3 | 4 << 16, 5, -6};
  still.clipVolume = 8000;
  still.intermediateMovie = IntermediateMovie{3, 1000, 2000, "inner"};
  still.ownPicture = OwnedBlock::FromBytes(std::vector<std::uint8_t>{40, 0, 0, 0, 1, 2, 3});
  InsertClip(head, 1, 0, 4000, still);

  TLEventFields transition;
  transition.transitionId = 1;
  transition.leftSide = 1;
  transition.rightSide = 3;
  transition.clipName = "dissolve";
  TLFilter second;
  second.id = 999;
  transition.filters = {TLFilter{}, second};
  transition.filters[0].id = 1;
  InsertClip(head, 2, 3000, 4000, transition);

  TLEventFields far;
  far.directory = outside.path().string() + "/";
  far.name = "far";
  far.extension = ".bmp";
  far.mediaType = kMediaBmp;
  far.playOut = 5000;
  far.volume = FlatEnvelope();
  InsertClip(head, 3, 3000, 8000, far);

  TLEventFields sequence;
  sequence.directory = media;
  sequence.name = "seq01";
  sequence.extension = ".bmp";
  sequence.mediaType = kMediaOther;
  sequence.playOut = 80;
  SequenceClipHeader header{};
  header.fieldMode = 3;
  header.frameCount = 2;
  sequence.header = ClipMediaHeader(header);
  InsertClip(head, 3, 9000, 9080, sequence);

  TLEventFields voice;
  voice.directory = media;
  voice.name = "voice";
  voice.extension = ".wav";
  voice.mediaType = kMediaWav;
  voice.playOut = 200;
  voice.header = ClipMediaHeader(WavClipHeader{});  // replaced by the file's on load
  InsertClip(head, 4, 0, 200, voice);

  TLEvent* track1 = FindTrack(head, 1);
  track1->viewStatus = kTrackViewStereo;
  track1->statusCode = 5;
  track1->filters = {RichFilter()};
  FindTrack(head, 4)->audioPreviewSelection = -1;
  FindTrack(head, 4)->viewStatus = kTrackViewBalance;

  head->captureName = "Movie title";
  TimelineEnd(head)->captureName = "01:00:00:00";
  head->cropMargins.Set(8, 16, 4, 2);
  head->audioPreviewOption = 3;
  head->volume = {{9000, 0}, {9000, 10000}};
  head->balance = {{5000, 0}, {5000, 10000}};
  head->filters = {RichFilter()};
  SplitSegmentsAtClips(head);
  TLFilter& rendered = head->segments.front();
  rendered.rendered = 1;
  rendered.fileName = dir.path().string() + "/render/seg1.avi";
  rendered.marked = 1;
  rendered.params = {MakeRenderedPiece(1, 0, 24, rendered.fileName, "/tmp/made-from.avi", 9),
                     MakeRenderedPiece(2, 25, 74, rendered.fileName)};
  head->segments.back().marked = 1;

  doc.movieRange = {1000, 9000};
  doc.previewRange = {2000, 3000};
  doc.currentPosition = 1234;
  doc.zoom = 1;
  doc.scaleIndex = 7;
  doc.timeOrigin = 500;
  doc.clipViewOption = 4;
  doc.horizontalScroll = 77;
  doc.savePrompt = 0;
  doc.bufferedMovie = 1;
  doc.bufferedPreview = 1;
  doc.noMessage = 1;
  doc.transitionWarning = 0;
  doc.linkCounter = 42;
  doc.intermediateMovies = {IntermediateMovie{3, 1000, 2000, "inner"}, IntermediateMovie{4, 0, 10, ""}};
  doc.snapshotMarks = {SnapshotMark{100}, SnapshotMark{200}};
  doc.indexMarks = {IndexMark{300, "intro", "starts here"}};
  doc.clipMarkSets = {
      ClipMarkSet{media + "voice.wav", 0, 4, {ClipIndexMark{"beat", "", 40}, ClipIndexMark{"x", "y", 80}}}};
}

TEST(TimelineFile, RoundTripKeepsEveryFieldTheFormatHolds) {
  TempDir dir;
  TempDir outside;
  CTestDoc original;
  MakeRichDocument(original, dir, outside);
  fs::path file = dir / "project.tle";
  std::string error;
  ASSERT_TRUE(WriteTimelineFile(original, file, &error)) << error;

  CTestDoc loaded;
  std::vector<std::string> warnings;
  ASSERT_TRUE(ReadTimelineFile(file, loaded, &error, &warnings)) << error;
  EXPECT_TRUE(warnings.empty());

  // Writing the loaded document gives the same text: nothing the format
  // holds was lost or changed.
  EXPECT_EQ(Text(loaded, dir.path()), Text(original, dir.path()));
  EXPECT_EQ(MasterText(loaded.Head()), MasterText(original.Head()));
  EXPECT_TRUE(CheckTimelineLinks(loaded.Head()));

  // A few values checked directly, so the comparison above cannot pass by
  // both sides losing them.
  const TLEvent* still = FindTrack(loaded.Head(), 1)->next;
  ASSERT_TRUE(still->IsClipIn());
  EXPECT_EQ(still->OutTime(), 4000);
  EXPECT_EQ(still->speed, 150);
  EXPECT_EQ(still->reverse, 1);
  EXPECT_EQ(still->linkNumber, 4000000000u);
  EXPECT_EQ(still->crop.word4, -6);
  ASSERT_EQ(still->filters.size(), 1u);
  EXPECT_EQ(still->filters[0].params[0].tables, RichFilter().params[0].tables);
  EXPECT_EQ(still->filters[0].bitmaps[0].picture.Bytes(), (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(still->ownPicture.Bytes(),
            original.Head()->masterNext->masterNext->masterNext->masterNext->masterNext->ownPicture.Bytes());
  EXPECT_EQ(still->volume, (VolumeEnvelope{{10000, 0}, {20000, 2500}, {0, 10000}}));
  EXPECT_EQ(still->intermediateMovie, (IntermediateMovie{3, 1000, 2000, "inner"}));
  const TLEvent* transition = FindTrack(loaded.Head(), 2)->next;
  EXPECT_EQ(transition->transitionId, 1);
  EXPECT_EQ(transition->rightSide, 3);
  EXPECT_EQ(loaded.Head()->segments.front().params.size(), 2u);
  EXPECT_EQ(loaded.Head()->segments.front().params[0].secondName, "/tmp/made-from.avi");
  EXPECT_EQ(loaded.Head()->segments.back().marked, 1);
  EXPECT_EQ(loaded.Head()->cropMargins, original.Head()->cropMargins);
  EXPECT_EQ(TimelineEnd(loaded.Head())->captureName, "01:00:00:00");
  EXPECT_EQ(loaded.linkCounter, 42u);
  EXPECT_EQ(loaded.clipMarkSets, original.clipMarkSets);
  EXPECT_EQ(loaded.indexMarks, original.indexMarks);
  EXPECT_EQ(loaded.scaleIndex, 7);
  EXPECT_EQ(loaded.previewRange, (TimeRange{2000, 3000}));

  // The document now is the file's, unmodified, with the file's scale.
  EXPECT_EQ(loaded.pathName, file.string());
  EXPECT_EQ(loaded.title, "project.tle");
  EXPECT_FALSE(loaded.IsModified());
  EXPECT_EQ(loaded.trackCount, 4);
  EXPECT_EQ(loaded.duration, 60000);
  EXPECT_EQ(loaded.rate, 2500);
  EXPECT_EQ(loaded.Head()->rate, 2500);
}

TEST(TimelineFile, MediaPathsInsideTheFolderAreRelativeAndHeadersAreReadOnLoad) {
  TempDir dir;
  TempDir outside;
  CTestDoc original;
  MakeRichDocument(original, dir, outside);
  std::string text = Text(original, dir.path());
  EXPECT_NE(text.find("\"file\": \"media/pic.bmp\""), std::string::npos);
  EXPECT_NE(text.find("\"file\": \"" + outside.path().string() + "/far.bmp\""), std::string::npos);

  // The folder with the timeline and its media moves elsewhere.
  TempDir moved;
  fs::copy(dir.path(), moved.path(), fs::copy_options::recursive);
  CTestDoc loaded;
  std::string error;
  ASSERT_TRUE(ParseTimelineFile(text, moved.path(), loaded, &error)) << error;
  const TLEvent* still = FindTrack(loaded.Head(), 1)->next;
  EXPECT_EQ(still->MediaPath(), moved.path().string() + "/media/pic.bmp");
  EXPECT_FALSE(still->header.has_value());
  const TLEvent* voice = FindTrack(loaded.Head(), 4)->next;
  ASSERT_TRUE(voice->header && voice->header->Wav() != nullptr);
  EXPECT_EQ(voice->header->Wav()->dataSize, 8820u);  // the file's, not the document's zeros
  const TLEvent* sequence = FindTrack(loaded.Head(), 3)->next->next->next;
  ASSERT_TRUE(sequence->header && sequence->header->Sequence() != nullptr);
  EXPECT_EQ(sequence->header->Sequence()->fieldMode, 3);
  EXPECT_EQ(sequence->header->Sequence()->frameCount, 2);
  EXPECT_EQ(loaded.clipMarkSets[0].path, moved.path().string() + "/media/voice.wav");
}

TEST(TimelineFile, MissingMediaIsReportedAndTheClipsStillLoad) {
  TempDir dir;
  TempDir outside;
  CTestDoc original;
  MakeRichDocument(original, dir, outside);
  std::string text = Text(original, dir.path());
  fs::remove(dir / "media/voice.wav");
  CTestDoc loaded;
  std::string error;
  std::vector<std::string> warnings;
  ASSERT_TRUE(ParseTimelineFile(text, dir.path(), loaded, &error, &warnings)) << error;
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("voice.wav"), std::string::npos);
  const TLEvent* voice = FindTrack(loaded.Head(), 4)->next;
  ASSERT_TRUE(voice->IsClipIn());
  EXPECT_FALSE(voice->header.has_value());
}

TEST(TimelineFile, RenderedFilesThatAreGoneAreForgottenOnLoad) {
  TempDir dir;
  TempDir outside;
  CTestDoc original;
  MakeRichDocument(original, dir, outside);
  std::string text = Text(original, dir.path());
  fs::remove(dir / "render/seg1.avi");
  CTestDoc loaded;
  ASSERT_TRUE(ParseTimelineFile(text, dir.path(), loaded));
  EXPECT_TRUE(loaded.Head()->segments.front().fileName.empty());
  EXPECT_TRUE(loaded.Head()->segments.front().params.empty());
  EXPECT_TRUE(SegmentsCoverTimeline(loaded.Head()));
}

TEST(TimelineFile, TheDocumentsOwnListIsWrittenWhileAPreviewListIsInstalled) {
  TempDir dir;
  CTestDoc doc;
  doc.savedHead = doc.ReplaceTimeline(NewTimeline(2997, 1000));  // a preview list without tracks
  std::string text = Text(doc, dir.path());
  CTestDoc loaded;
  ASSERT_TRUE(ParseTimelineFile(text, dir.path(), loaded));
  EXPECT_EQ(loaded.trackCount, 9);
  EXPECT_EQ(loaded.duration, kDefaultDuration);
}

TEST(TimelineFile, TheWrittenDurationCoversEveryClip) {
  TempDir dir;
  CTestDoc doc;
  doc.ReplaceTimeline(NewTimeline(2500, 1000));
  AppendTrack(doc.Head(), kTrackVideo);
  InsertClip(doc.Head(), 1, 500, 4000);  // ends after the timeline's end record
  CTestDoc loaded;
  std::string error;
  ASSERT_TRUE(ParseTimelineFile(Text(doc, dir.path()), dir.path(), loaded, &error)) << error;
  EXPECT_EQ(loaded.duration, 4000);
}

TEST(TimelineFile, ManyClipsLoadInOrder) {
  TempDir dir;
  std::string clips;
  for (int i = 0; i < 1500; ++i) {
    if (i > 0) clips += ",";
    clips += "{\"in\":" + std::to_string(i * 10) + ",\"out\":" + std::to_string(i * 10 + 10) + "}";
  }
  std::string text = R"({"format":"sprocket-timeline","version":1,"duration":60000,"tracks":[)"
                     R"({"type":"V","number":1,"clips":[)" +
                     clips +
                     R"(]},)"
                     R"({"type":"V","number":2,"clips":[)" +
                     clips + R"(]}]})";
  CTestDoc doc;
  std::string error;
  ASSERT_TRUE(ParseTimelineFile(text, dir.path(), doc, &error)) << error;
  EXPECT_TRUE(CheckTimelineLinks(doc.Head()));
  int count = 0;
  std::int32_t last = -1;
  for (const TLEvent* event = doc.Head(); event != nullptr; event = GetNextEvent(event)) {
    if (!event->IsClipIn()) continue;
    EXPECT_GE(event->time, last);
    last = event->time;
    ++count;
  }
  EXPECT_EQ(count, 3000);
}

// A loaded timeline is as the edits leave one: the ends of the tracks and of
// the timeline at or after the last clip, records in time order, so that
// nothing later (a paint, a render) needs to set its times right.
TEST(TimelineFile, LoadedTimelinesNeedNoValidation) {
  TempDir dir;
  const std::string text = R"({"format":"sprocket-timeline","version":1,"duration":5000,"tracks":[)"
                           R"({"type":"V","number":1,"clips":[{"in":0,"out":2000},{"in":3000,"out":5000}]},)"
                           R"({"type":"X","number":2,"clips":[{"in":1500,"out":2000,"transition":1}]},)"
                           R"({"type":"A","number":3,"clips":[{"in":4000,"out":5000}]}]})";
  CTestDoc doc;
  std::string error;
  ASSERT_TRUE(ParseTimelineFile(text, dir.path(), doc, &error)) << error;
  const std::string loaded = MasterText(doc.Head());
  EXPECT_EQ(ValidateTimelineTimes(doc.Head()), 0);
  EXPECT_EQ(MasterText(doc.Head()), loaded);
  for (const TLEvent* e = doc.Head(); e != nullptr; e = e->masterNext.get()) {
    if (e->kind == kEventTrackEnd || e->kind == kEventTimelineEnd) EXPECT_GE(e->time, 5000) << e->trackNumber;
  }
}

// A minimal good file with one clip whose members are replaced by `clip`.
std::string FileWithClip(const std::string& clip, const std::string& trackType = "V") {
  return R"({"format":"sprocket-timeline","version":1,"duration":10000,"tracks":[{"type":")" + trackType +
         R"(","number":1,"clips":[{)" + clip + R"(}]}]})";
}

std::string FileWithTop(const std::string& members) {
  return R"({"format":"sprocket-timeline","version":1,)" + members + R"(,"tracks":[]})";
}

TEST(TimelineFile, BadFilesAreRefusedWithAClearMessageAndChangeNothing) {
  std::string manyTracks;
  for (int i = 1; i <= 101; ++i) {
    manyTracks += std::string(i > 1 ? "," : "") + R"({"type":"A","number":)" + std::to_string(i) + R"(,"clips":[]})";
  }
  struct Case {
    std::string text;
    std::string message;
  } cases[] = {
      {"not json {", "the file is not valid JSON (line 1, column 2)"},
      {"[1, 2]", "the file is not a timeline (its top level is not an object)"},
      {R"({"format":"other","version":1,"tracks":[]})",
       "the file is not a timeline (its \"format\" is not \"sprocket-timeline\")"},
      {R"({"version":1,"tracks":[]})", "the file is not a timeline (its \"format\" is not \"sprocket-timeline\")"},
      {R"({"format":"sprocket-timeline","version":2,"tracks":[]})",
       "the timeline is of format version 2, which is newer than this program reads (version 1)"},
      {R"({"format":"sprocket-timeline","version":"1","tracks":[]})", "version: expected a whole number, found a text"},
      {R"({"format":"sprocket-timeline","version":1})", "the key \"tracks\" is missing"},
      {FileWithTop(R"("rate":"fast")"), "rate: expected a whole number, found a text"},
      {FileWithTop(R"("rate":29.97)"), "rate: expected a whole number, found a fractional number"},
      {FileWithTop(R"("duration":36000001)"), "duration: 36000001 is out of range (allowed: 1 to 36000000)"},
      {FileWithTop(R"("movieRange":[5000,1000])"), "movieRange: the range ends before it starts"},
      {FileWithTop(R"("previewRange":[1,2,3])"), "previewRange: expected a list of 2 numbers, found a list of 3"},
      {FileWithTop(R"("view":{"zoom":4})"), "view.zoom: 4 is out of range (allowed: 0 to 3)"},
      {FileWithTop(R"("title":")" + std::string(300, 't') + "\""),
       "title: the text is 300 bytes long; at most 259 are allowed"},
      {FileWithTop(R"("segments":[{"start":0,"end":5000},{"start":4000,"end":6000}])"),
       "segments[1]: the segment overlaps the one before it"},
      {FileWithTop(R"("masterVolume":[[10000,0]])"),
       "masterVolume: an envelope needs two or more points in order of position, the first at 0 and the last at 10000"},
      {R"({"format":"sprocket-timeline","version":1,"tracks":[)" + manyTracks + "]}",
       "tracks: the file holds 101 tracks. " + std::string(StringText(61440))},
      {R"({"format":"sprocket-timeline","version":1,"tracks":[{"type":"Q","number":1,"clips":[]}]})",
       "tracks[0].type: unknown track type \"Q\" (a track is of type \"V\", \"A\" or \"X\")"},
      {R"({"format":"sprocket-timeline","version":1,"tracks":[{"type":"V","number":2,"clips":[]}]})",
       "tracks[0].number: tracks are numbered 1, 2, 3, ... in order; this one must be 1"},
      {R"({"format":"sprocket-timeline","version":1,"tracks":[{"type":"V","number":1,"clips":{}}]})",
       "tracks[0].clips: expected a list, found an object"},
      {FileWithClip(R"("in":2000,"out":1000)"),
       "tracks[0].clips[0].out: the clip's out time 1000 is not after its in time 2000"},
      {FileWithClip(R"("in":-5,"out":1000)"), "tracks[0].clips[0].in: -5 is out of range (allowed: 0 to 36000000)"},
      {FileWithClip(R"("in":0,"out":12000)"),
       "tracks[0].clips[0].out: the clip ends at 12000 ms, after the timeline's duration of 10000 ms"},
      {FileWithClip(R"("in":0,"out":1000,"speed":0)"),
       "tracks[0].clips[0].speed: 0 is out of range (allowed: 1 to 10000)"},
      {FileWithClip(R"("in":0,"out":1000,"playIn":500,"playOut":100)"),
       "tracks[0].clips[0].playOut: the clip's play-out lies before its play-in"},
      {FileWithClip(R"("in":0,"out":1000,"name":"twenty characters!!!")"),
       "tracks[0].clips[0].name: the text is 20 bytes long; at most 19 are allowed"},
      {FileWithClip(R"("in":0,"out":1000,"description":")" + std::string(70000, 'd') + "\""),
       "tracks[0].clips[0].description: the text is 70000 bytes long; at most 65536 are allowed"},
      {FileWithClip(R"("in":0,"out":1000,"file":")" + std::string(300, 'f') + ".avi\""),
       "tracks[0].clips[0].file: the path"},
      {FileWithClip(R"("in":0,"out":1000,"mediaType":999)"), "tracks[0].clips[0].mediaType: unknown media type 999"},
      {FileWithClip(R"("in":0,"out":1000,"reverse":"yes")"),
       "tracks[0].clips[0].reverse: expected true or false, found a text"},
      {FileWithClip(R"("in":0,"out":1000,"volume":[[10000,0],[30000,10000]])"),
       "tracks[0].clips[0].volume[1][0]: 30000 is out of range (allowed: 0 to 20000)"},
      {FileWithClip(R"("in":0,"out":1000,"balance":[[10000,0],[10000,9000]])"),
       "tracks[0].clips[0].balance: an envelope needs two or more points"},
      {FileWithClip(R"("in":0,"out":1000,"picture":"not base64!")"),
       "tracks[0].clips[0].picture: not a base64 text of at most"},
      {FileWithClip(R"("in":0,"out":1000,"channelMode":999)"),
       "tracks[0].clips[0].channelMode: a channel mode is 0 or 1000 to 1006"},
      {FileWithClip(R"("in":0,"out":1000,"leftSide":1)", "X"), "tracks[0].clips[0]: the key \"transition\" is missing"},
      {FileWithClip(R"("in":0,"out":1000,"transition":1,"leftSide":1)", "X"),
       "tracks[0].clips[0].leftSide: track 1 is not a video track of the timeline"},
      {FileWithClip(R"("in":0,"out":1000,"filters":[{"script":"x"}])"),
       "tracks[0].clips[0].filters[0]: the key \"id\" is missing"},
      {FileWithClip(R"("in":0,"out":1000,"filters":[{"id":1,"params":[{"tables":{"extra":[1,2,3,4,5,6,7,8,9,10],)"
                    R"("red":"AAAA","green":"","blue":"","master":""}}]}])"),
       "tracks[0].clips[0].filters[0].params[0].tables.red: a table holds exactly 256 bytes"},
      {FileWithClip(R"("in":0,"out":1000},{"in":500,"out":2000)"),
       "tracks[0].clips[1]: the clip starts at 500 ms, before the clip ahead of it on the track ends (1000 ms)"},
      {FileWithTop(R"("rate":1e999)"), "a number is too large (line 1, column 50)"},
      {FileWithClip(R"("in":0,"out":1000,"filters":[{"id":1,"params":[{"values":[-2e400]}]}])"),
       "a number is too large (line 1, column 161)"},
      {std::string(100, '[') + std::string(100, ']'), "the file is nested too deeply to be a timeline"},
      {std::string(kMaxTimelineFileBytes + 1, ' '), "the file is too large to be a timeline"},
  };

  CTestDoc doc;
  TempDir dir;
  std::string before = Text(doc, dir.path());
  for (const Case& c : cases) {
    std::string error;
    std::vector<std::string> warnings{"left alone"};
    EXPECT_FALSE(ParseTimelineFile(c.text, dir.path(), doc, &error, &warnings)) << c.message;
    EXPECT_EQ(error.rfind("The timeline cannot be loaded: " + c.message, 0), 0u)
        << "expected: " << c.message << "\n     got: " << error;
    EXPECT_EQ(warnings, std::vector<std::string>{"left alone"});
  }
  EXPECT_EQ(Text(doc, dir.path()), before);
  EXPECT_TRUE(doc.pathName.empty());
}

TEST(TimelineFile, ReadingAFileNamesIt) {
  TempDir dir;
  CTestDoc doc;
  std::string error;
  EXPECT_FALSE(ReadTimelineFile(dir / "nowhere.tle", doc, &error));
  EXPECT_EQ(error, "The timeline \"" + (dir / "nowhere.tle").string() + "\" does not exist.");
  fs::path bad = dir.Write("bad.tle", R"({"format":"sprocket-timeline","version":1,"rate":0,"tracks":[]})");
  EXPECT_FALSE(ReadTimelineFile(bad, doc, &error));
  EXPECT_EQ(error,
            "The timeline \"" + bad.string() + "\" cannot be loaded: rate: 0 is out of range (allowed: 100 to 12000).");
  EXPECT_TRUE(doc.pathName.empty());
}

TEST(TimelineFile, MissingOptionalKeysTakeTheirDefaults) {
  TempDir dir;
  dir.Write("a.bmp", "BM");
  CTestDoc doc;
  std::string error;
  ASSERT_TRUE(
      ParseTimelineFile(FileWithClip(R"("in":1000,"out":3000,"file":"a.bmp","speed":50)"), dir.path(), doc, &error))
      << error;
  EXPECT_EQ(doc.rate, 2997);
  EXPECT_EQ(doc.movieRange, TimeRange{});
  const TLEvent* clip = FindTrack(doc.Head(), 1)->next;
  EXPECT_EQ(clip->mediaType, kMediaBmp);
  EXPECT_EQ(clip->playIn, 0);
  EXPECT_EQ(clip->playOut, 1000);  // 2000 ms at half speed
  EXPECT_EQ(clip->clipVolume, 10000);
  EXPECT_TRUE(clip->volume.empty());

  // A track may leave out its clips.
  ASSERT_TRUE(ParseTimelineFile(R"({"format":"sprocket-timeline","version":1,"tracks":[{"type":"A","number":1}]})",
                                dir.path(), doc, &error))
      << error;
  EXPECT_EQ(MasterText(doc.Head()), "B b1 e1 E");
}

TEST(TimelineFile, SaveMakesTheFileTheDocumentsOwn) {
  TempDir dir;
  CTestDoc doc;
  doc.SetModifiedFlag();
  std::string error;
  ASSERT_TRUE(SaveTimelineDocument(doc, dir / "saved.tle", &error)) << error;
  EXPECT_EQ(doc.pathName, (dir / "saved.tle").string());
  EXPECT_EQ(doc.title, "saved.tle");
  EXPECT_FALSE(doc.IsModified());

  // A folder that does not exist: refused, nothing else changes.
  doc.SetModifiedFlag();
  EXPECT_FALSE(SaveTimelineDocument(doc, dir / "no/such/folder/x.tle", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.pathName, (dir / "saved.tle").string());
}

TEST(TimelineFile, TextThatIsNotUtf8IsRefusedWhenSaving) {
  TempDir dir;
  CTestDoc doc;
  TLEventFields clip;
  clip.clipName = "caf\xe9";
  InsertClip(doc.Head(), 1, 0, 1000, clip);
  fs::path target = dir.Write("kept.tle", "old contents");
  std::string error;
  EXPECT_FALSE(WriteTimelineFile(doc, target, &error));
  EXPECT_NE(error.find("UTF-8"), std::string::npos);
  EXPECT_EQ(ReadWholeFile(target), std::optional<std::string>("old contents"));
}

std::string BackupName(unsigned uid, int pid, const std::string& tag) {
  return "sprocket-backup-" + std::to_string(uid) + "-" + std::to_string(pid) + "-" + tag + ".tle";
}

void SetWriteTime(const fs::path& path, std::time_t seconds) {
  const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

TEST(TimelineBackup, EachDocumentOfAProcessHasItsOwnBackupInTheTimelineFormat) {
  TempDir temp;
  TempDir media;
  CTestDoc doc;
  MakeRichDocument(doc, media, media);
  doc.tempDir = temp.path().string() + "/";
  doc.pathName = "/work/project.tle";
  doc.SetModifiedFlag();
  CTestDoc other;
  other.tempDir = doc.tempDir;
  EXPECT_EQ(TimelineBackupPath(doc).parent_path(), temp.path());
  EXPECT_NE(TimelineBackupPath(doc), TimelineBackupPath(other));
  EXPECT_EQ(TimelineBackupPath(doc).filename(), BackupName(::getuid(), ::getpid(), std::to_string(doc.backupNumber)));

  std::string error;
  ASSERT_TRUE(WriteTimelineBackup(doc, &error)) << error;
  ASSERT_TRUE(WriteTimelineBackup(other, &error)) << error;
  EXPECT_EQ(doc.pathName, "/work/project.tle");
  EXPECT_TRUE(doc.IsModified());

  // "recover.tle" in a folder of its own (the temporary folder may be
  // shared), gone with its folder once read.
  fs::path recovery;
  ASSERT_TRUE(MakeRecoveryFile(TimelineBackupPath(doc), temp.path().string(), &recovery, &error)) << error;
  EXPECT_EQ(recovery.filename(), "recover.tle");
  EXPECT_EQ(recovery.parent_path().parent_path(), temp.path());
  EXPECT_EQ(fs::status(recovery.parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);
  CTestDoc recovered;
  ASSERT_TRUE(ReadTimelineFile(recovery, recovered, &error)) << error;
  EXPECT_EQ(Text(recovered, temp.path()), Text(doc, temp.path()));
  RemoveRecoveryFile(recovery);
  EXPECT_FALSE(fs::exists(recovery.parent_path()));

  // A clean exit deletes this process's backups only.
  const fs::path otherProcess = temp.Write(BackupName(::getuid(), EndedProcessId(), "1"), "{}");
  const fs::path otherUser = temp.Write(BackupName(::getuid() + 1, ::getpid(), "1"), "{}");
  EXPECT_TRUE(DeleteProcessBackups(doc.tempDir));
  EXPECT_FALSE(fs::exists(TimelineBackupPath(doc)));
  EXPECT_FALSE(fs::exists(TimelineBackupPath(other)));
  EXPECT_TRUE(fs::exists(otherProcess));
  EXPECT_TRUE(fs::exists(otherUser));

  // A damaged backup makes no recovery file.
  const fs::path damaged = temp.Write("damaged.tle", R"({"format":"sprocket-timeline")");
  EXPECT_FALSE(MakeRecoveryFile(damaged, temp.path().string(), &recovery, &error));
  EXPECT_NE(error.find("the file is not complete"), std::string::npos) << error;
  for (const fs::directory_entry& entry : fs::directory_iterator(temp.path())) {
    EXPECT_FALSE(entry.path().filename().string().starts_with("sprocket-recover-")) << entry.path();
  }

  doc.tempDir.clear();
  EXPECT_FALSE(WriteTimelineBackup(doc, &error));
}

TEST(TimelineBackup, OrphansAreTheUsersBackupsOfProcessesThatNoLongerRun) {
  TempDir temp;
  const unsigned uid = ::getuid();
  const std::time_t now = std::time(nullptr);
  struct Case {
    std::string name;
    std::time_t written;
    bool orphan;
  };
  const int ended = EndedProcessId();
  const std::vector<Case> cases = {
      {BackupName(uid, ended, "1"), now - 20, true},
      {BackupName(uid, ended, "c2"), now - 30, true},
      {BackupName(uid, ::getpid(), "1"), now, false},  // this process runs
      // A number taken again by a process started after the backup.
      {BackupName(uid, ::getpid(), "2"), 946684800, true},
      {BackupName(uid, 1, "1"), now, false},  // a running process of another user
      {BackupName(uid + 1, ended, "1"), now, false},
      {"sprocket-backup-" + std::to_string(uid) + "-x-1.tle", now - 50, false},
      {"sprocket-backup-" + std::to_string(uid) + "-" + std::to_string(ended) + "-.tle", now - 50, false},
      {"Timeline.bak", now - 50, false},
  };
  std::vector<fs::path> expected;
  for (const Case& c : cases) {
    SetWriteTime(temp.Write(c.name, "{}"), c.written);
    if (c.orphan) expected.push_back(temp / c.name);
  }
  // Oldest first.
  std::sort(expected.begin(), expected.end(),
            [](const fs::path& a, const fs::path& b) { return fs::last_write_time(a) < fs::last_write_time(b); });
  // A link with a backup's name is no backup.
  fs::create_symlink(temp / cases[0].name, temp / BackupName(uid, ended, "3"));
  EXPECT_EQ(FindOrphanBackups(temp.path().string()), expected);

  // A claimed backup belongs to this process: no longer an orphan, and
  // claimed once only.
  const std::optional<fs::path> claimed = ClaimBackup(expected.front());
  ASSERT_TRUE(claimed.has_value());
  EXPECT_EQ(claimed->filename(), BackupName(uid, ::getpid(), "c1"));
  EXPECT_FALSE(ClaimBackup(expected.front()).has_value());
  const std::optional<fs::path> second = ClaimBackup(expected.back());
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(second->filename(), BackupName(uid, ::getpid(), "c2"));
  const std::vector<fs::path> left = FindOrphanBackups(temp.path().string());
  EXPECT_EQ(left.size(), expected.size() - 2);
  EXPECT_EQ(std::count(left.begin(), left.end(), *claimed), 0);
  EXPECT_TRUE(FindOrphanBackups((temp / "no such folder").string()).empty());
}

TEST(Base64Text, EncodesAndDecodesEveryTailLength) {
  EXPECT_EQ(Base64Encode(std::vector<std::uint8_t>{'M', 'a', 'n'}), "TWFu");
  EXPECT_EQ(Base64Encode(std::vector<std::uint8_t>{'M', 'a'}), "TWE=");
  EXPECT_EQ(Base64Encode(std::vector<std::uint8_t>{'M'}), "TQ==");
  std::vector<std::uint8_t> bytes;
  for (int length = 0; length < 8; ++length) {
    std::vector<std::uint8_t> data;
    for (int i = 0; i < length; ++i) data.push_back(static_cast<std::uint8_t>(250 + i));
    ASSERT_TRUE(Base64Decode(Base64Encode(data), &bytes, 100));
    EXPECT_EQ(bytes, data);
  }
  for (const char* bad : {"TWF", "TW=u", "T===", "====", "TWFu!AAA", "TQ==TQ=="}) {
    EXPECT_FALSE(Base64Decode(bad, &bytes, 100)) << bad;
  }
  EXPECT_FALSE(Base64Decode("TWFuTWFu", &bytes, 5));
}

}  // namespace
}  // namespace sprocket
