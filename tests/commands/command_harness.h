#pragma once
// The headless command harness: a document with the default tracks, a view
// double that records what it was asked, a dialog double answering from a
// script (an unexpected dialog fails the test), scripted prompts and the
// router, plus clips built in code.

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "commands/command_router.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/document/event_list_dump.h"
#include "timeline_fixtures.h"

namespace sprocket::testing {

class RecordingView : public ViewOperations {
public:
  void ShowEdit(const EditReport&) override { calls.push_back("edit"); }
  void RepaintTrackArea() override { calls.push_back("track area"); }
  void RepaintMarkBand() override { calls.push_back("mark band"); }
  void RepaintRect(const ClipRect&) override { calls.push_back("rect"); }
  void RepaintAll() override { calls.push_back("all"); }
  void RebuildClipBitmaps(TLEvent* clip) override;
  void RefreshClipThumbnails(TLEvent*) override { calls.push_back("thumbnails"); }
  void DrawClipWaveform(TLEvent*, int channel) override { calls.push_back("waveform " + std::to_string(channel)); }
  void RecalcTimelineExtent() override { calls.push_back("extent"); }
  void StopPreview() override { calls.push_back("stop preview"); }
  void SetSpeedChange(bool on) override {
    speedChange = on;
    calls.push_back(on ? "speed change on" : "speed change off");
  }
  bool SpeedChange() const override { return speedChange; }
  bool Called(const std::string& call) const;
  std::vector<std::string> calls;
  bool speedChange = false;
};

// One scripted dialog: its name ("value", "duration", "fields", "preview"),
// the answer (none = Cancel), and what it was given.
struct DialogCall {
  std::string dialog;
  std::vector<std::int64_t> given;
  bool previewsStopped = false;  // the view had stopped previews when it opened
};

class ScriptedDialogs : public DialogProvider {
public:
  ScriptedDialogs& Answer(std::string dialog, std::optional<std::int64_t> value);
  ScriptedDialogs& AnswerPreview(std::optional<AudioPreviewChoice> choice);
  std::optional<int> SetValue(SetValueMode mode, int percent) override;
  std::optional<std::int32_t> TimelineDuration(std::int32_t minMs, std::int32_t maxMs, std::int32_t currentMs) override;
  std::optional<std::int32_t> FieldHandling(std::int32_t fieldOrder, const std::string& path) override;
  std::optional<AudioPreviewChoice> AudioPreviewTracks(const AudioPreviewChoice& current,
                                                       const std::vector<AudioPreviewChannel>& tracks) override;
  bool AllAnswered() const { return script_.empty(); }
  std::vector<DialogCall> calls;
  AudioPreviewChoice lastPreviewGiven;
  const RecordingView* view = nullptr;

private:
  struct Entry {
    std::string dialog;
    std::optional<std::int64_t> value;
    std::optional<AudioPreviewChoice> choice;
  };
  std::optional<Entry> Next(const std::string& dialog, std::vector<std::int64_t> given);
  std::deque<Entry> script_;
};

// Picture stand-ins of the view double.
class FakeBitmap : public ClipBitmap {
public:
  std::unique_ptr<ClipBitmap> Clone() const override { return std::make_unique<FakeBitmap>(); }
};

// Members are public: parameterised cases set the timeline up through them.
class CommandTest : public ::testing::Test {
public:
  CommandTest();
  ~CommandTest() override;

  // A clip on a track, selected when `select` is set.
  TLEvent* Clip(std::int32_t track, std::int32_t in, std::int32_t out, const TLEventFields& fields,
                bool select = false);
  TLEvent* StereoAvi(std::int32_t track, std::int32_t in, std::int32_t out, bool select = true);
  TLEvent* Wave(std::int32_t track, std::int32_t in, std::int32_t out, int channels, bool select = true);
  TLEvent* Still(std::int32_t track, std::int32_t in, std::int32_t out, bool select = true);
  void Select(TLEvent* clip);
  std::string Dump() const { return DumpDocument(doc); }
  bool Run(int id) { return router.Execute(id); }

  TempDir temp;
  CTestDoc doc;
  RecordingView view;
  ScriptedDialogs dialogs;
  ScriptedPrompts prompts;
  CommandContext context{doc, view, dialogs, {}};
  bool dialogsWatchView = (dialogs.view = &view, true);
  CommandRouter router{context};
};

}  // namespace sprocket::testing
