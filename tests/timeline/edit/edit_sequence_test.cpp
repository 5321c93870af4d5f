// Hundreds of random edits, undos and redos on a timeline with rendered
// segments: after every step the document is whole, every segment still
// marked rendered shows the clips it was rendered from, and the saved file
// reads back into a document that saves as the same file.

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "temp_dir.h"
#include "timeline/document/event_list_dump.h"
#include "timeline/document/render_segments.h"
#include "timeline/document/view_edits.h"
#include "timeline/edit/clip_edits.h"
#include "timeline/edit/document_check.h"
#include "timeline/records/timeline_builder.h"
#include "timeline/tlefile/timeline_file.h"
#include "timeline_fixtures.h"

namespace sprocket::testing {
namespace {

class EditSequence {
public:
  EditSequence(unsigned seed, std::filesystem::path folder) : random_(seed), folder_(std::move(folder)) {
    doc_.rate = 2500;
    doc_.head->rate = 2500;
    doc_.SetDuration(20000);
    for (std::int32_t track : {1, 3, 4}) {
      for (std::int32_t in = 0; in < 16000; in += 5000)
        InsertClip(doc_.Head(), track, in + track * 400, in + track * 400 + 3000, AviClip("clip", 0, 3000));
    }
    InsertClip(doc_.Head(), 6, 1000, 7000, WavClip("music", 6000));
    RebuildTransitions(doc_);
    SplitSegmentsAtClips(doc_.Head());
  }

  CTestDoc& Doc() { return doc_; }

  void Step() {
    switch (Pick(13)) {
      case 0:
        doc_.RevertLastEdit();
        break;
      case 1:
        doc_.RedoLastEdit();
        break;
      case 2:
        RenderSomeSegment();
        break;
      case 3: {
        TLEvent* clip = AnyClip();
        if (clip == nullptr) break;
        const std::int32_t track =
            clip->trackType == kTrackVideo ? std::vector<std::int32_t>{1, 3, 4, 5}[Pick(4)] : clip->trackNumber;
        MoveClips(doc_, {{clip, track}}, Between(-3000, 3000));
        break;
      }
      case 4:
        if (TLEvent* clip = AnyClip())
          TrimClip(doc_, clip, Pick(2) ? ClipEdge::kIn : ClipEdge::kOut, Between(-1500, 1500));
        break;
      case 5:
        if (TLEvent* clip = AnyClip())
          SetClipSpeedEdit(doc_, clip, std::vector<std::int32_t>{50, 80, 100, 150, 200}[Pick(5)]);
        break;
      case 6:
        if (TLEvent* clip = AnyClip()) DeleteClipEdit(doc_, clip);
        break;
      case 7:
        if (TLEvent* clip = AnyClip()) {
          EventListSlot copy = CopyClipEvent(clip);
          PasteClipCopy(doc_, *copy, Between(0, 25000), clip->trackNumber);
        }
        break;
      case 8:
        if (TLEvent* clip = AnyClip()) {
          if (clip->linkNumber != 0)
            RejoinAudioVideo(doc_, clip);
          else
            SplitAudioVideo(doc_, clip);
        }
        break;
      case 9:
        if (TLEvent* clip = AnyClip()) SetEnvelope(doc_, clip, Pick(2), FlatEnvelope(Between(0, 20000)));
        break;
      case 10:
        SetTimelineDurationEdit(doc_, Between(15000, 40000));
        break;
      case 11:
        if (TLEvent* clip = AnyClip()) SetChannelMode(doc_, clip, Pick(2) ? 0 : 1001 /* mute left */);
        break;
      default:
        SetAudioPreviewTracks(doc_, Pick(2), {{6, 1}});
        break;
    }
  }

  // The segments still rendered whose clips changed since they were.
  std::vector<std::string> StaleSegments() const {
    std::vector<std::string> stale;
    for (const TLFilter& segment : doc_.Head()->segments) {
      if (segment.rendered == 0) continue;
      auto found = rendered_.find(segment.fileName);
      if (found == rendered_.end() || found->second != ClipsUnder(segment.start, segment.end))
        stale.push_back(std::to_string(segment.start) + "-" + std::to_string(segment.end));
    }
    return stale;
  }

private:
  int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }
  std::int32_t Between(std::int32_t low, std::int32_t high) {
    return std::uniform_int_distribution<std::int32_t>(low, high)(random_);
  }

  TLEvent* AnyClip() {
    std::vector<TLEvent*> clips;
    for (TLEvent* e = doc_.Head(); e != nullptr; e = GetNextEvent(e))
      if (e->IsClipIn() && e->trackType != kTrackTransition) clips.push_back(e);
    return clips.empty() ? nullptr : clips[static_cast<std::size_t>(Pick(static_cast<int>(clips.size())))];
  }

  std::string ClipsUnder(std::int32_t start, std::int32_t end) const {
    std::string key;
    for (const TLEvent* e = doc_.Head(); e != nullptr; e = GetNextEvent(e)) {
      if (e->IsClipIn() && e->trackType != kTrackAudio && e->time < end && e->OutTime() > start)
        key += ClipContentKey(*e) + "\n";
    }
    return key;
  }

  // What a segment render does to the document: a file and the flag.
  void RenderSomeSegment() {
    FilterList& segments = doc_.Head()->segments;
    if (segments.empty()) return;
    TLFilter& segment = segments[static_cast<std::size_t>(Pick(static_cast<int>(segments.size())))];
    segment.fileName = (folder_ / ("segment-" + std::to_string(++renders_) + ".avi")).string();
    std::ofstream(segment.fileName) << "rendered";  // a rendered file that exists
    segment.rendered = 1;
    rendered_[segment.fileName] = ClipsUnder(segment.start, segment.end);
  }

  std::mt19937 random_;
  std::filesystem::path folder_;
  CTestDoc doc_;
  std::map<std::string, std::string> rendered_;
  int renders_ = 0;
};

std::string SavedText(const CTestDoc& doc, const std::filesystem::path& folder) {
  std::string text;
  std::string error;
  EXPECT_TRUE(FormatTimelineFile(doc, folder, &text, &error)) << error;
  return text;
}

TEST(EditSequence, RandomEditsKeepTheDocumentWholeAndItsFileStable) {
  TempDir dir;
  for (unsigned seed : {1u, 2u, 3u}) {
    EditSequence sequence(seed, dir.path());
    for (int step = 0; step < 250; ++step) {
      sequence.Step();
      SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step));
      ASSERT_EQ(CheckTimelineDocument(sequence.Doc()), std::vector<std::string>{});
      ASSERT_EQ(sequence.StaleSegments(), std::vector<std::string>{});
      if (step % 10 != 0) continue;
      const std::string saved = SavedText(sequence.Doc(), dir.path());
      CTestDoc reopened;
      std::string error;
      ASSERT_TRUE(ParseTimelineFile(saved, dir.path(), reopened, &error)) << error;
      ASSERT_EQ(SavedText(reopened, dir.path()), saved);
    }
  }
}

}  // namespace
}  // namespace sprocket::testing
