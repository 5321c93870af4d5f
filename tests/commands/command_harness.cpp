#include "command_harness.h"

#include <algorithm>

#include "platform/settings_store.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket::testing {

void RecordingView::RebuildClipBitmaps(TLEvent* clip) {
  calls.push_back("rebuild");
  clip->waveform0 = std::make_unique<FakeBitmap>();
}

bool RecordingView::Called(const std::string& call) const {
  return std::find(calls.begin(), calls.end(), call) != calls.end();
}

ScriptedDialogs& ScriptedDialogs::Answer(std::string dialog, std::optional<std::int64_t> value) {
  script_.push_back({std::move(dialog), value, std::nullopt});
  return *this;
}

ScriptedDialogs& ScriptedDialogs::AnswerPreview(std::optional<AudioPreviewChoice> choice) {
  script_.push_back({"preview", std::nullopt, choice});
  return *this;
}

std::optional<ScriptedDialogs::Entry> ScriptedDialogs::Next(const std::string& dialog,
                                                            std::vector<std::int64_t> given) {
  calls.push_back({dialog, std::move(given), view != nullptr && view->Called("stop preview")});
  if (script_.empty() || script_.front().dialog != dialog) {
    ADD_FAILURE() << "unexpected dialog: " << dialog;
    return std::nullopt;
  }
  Entry entry = script_.front();
  script_.pop_front();
  return entry;
}

std::optional<int> ScriptedDialogs::SetValue(SetValueMode mode, int percent) {
  const auto entry = Next("value", {static_cast<int>(mode), percent});
  if (!entry || !entry->value) return std::nullopt;
  return static_cast<int>(*entry->value);
}

std::optional<std::int32_t> ScriptedDialogs::TimelineDuration(std::int32_t minMs, std::int32_t maxMs,
                                                              std::int32_t currentMs) {
  const auto entry = Next("duration", {minMs, maxMs, currentMs});
  if (!entry || !entry->value) return std::nullopt;
  return static_cast<std::int32_t>(*entry->value);
}

std::optional<std::int32_t> ScriptedDialogs::FieldHandling(std::int32_t fieldOrder, const std::string& path) {
  const auto entry = Next("fields", {fieldOrder, static_cast<std::int64_t>(path.size())});
  if (!entry || !entry->value) return std::nullopt;
  return static_cast<std::int32_t>(*entry->value);
}

std::optional<AudioPreviewChoice> ScriptedDialogs::AudioPreviewTracks(const AudioPreviewChoice& current,
                                                                      const std::vector<AudioPreviewChannel>& tracks) {
  lastPreviewGiven = current;
  const auto entry = Next("preview", {static_cast<std::int64_t>(tracks.size())});
  if (!entry) return std::nullopt;
  return entry->choice;
}

CommandTest::CommandTest() {
  SetConfigDir(temp.path());  // where the black picture of fades is made
  doc.RecalcScale();
}

CommandTest::~CommandTest() {
  EXPECT_TRUE(dialogs.AllAnswered()) << "a scripted dialog was not shown";
  EXPECT_TRUE(prompts.AllShown()) << "an expected message was not shown";
}

TLEvent* CommandTest::Clip(std::int32_t track, std::int32_t in, std::int32_t out, const TLEventFields& fields,
                           bool select) {
  TLEvent* clip = InsertClip(doc.Head(), track, in, out, fields);
  if (clip != nullptr && select) Select(clip);
  return clip;
}

TLEvent* CommandTest::StereoAvi(std::int32_t track, std::int32_t in, std::int32_t out, bool select) {
  TLEventFields fields = AviClip("shot", 0, out - in);
  fields.volume = {{8000, 0}, {12000, 10000}};
  fields.balance = FlatEnvelope();
  fields.derivedFiles.waveName = "shot_wave";
  return Clip(track, in, out, fields, select);
}

TLEvent* CommandTest::Wave(std::int32_t track, std::int32_t in, std::int32_t out, int channels, bool select) {
  WavClipHeader wav{};
  wav.channels = static_cast<std::uint16_t>(channels);
  wav.bitsPerSample = 16;
  wav.samplesPerSec = 22050;
  TLEventFields fields;
  fields.directory = "/media/";
  fields.name = "tone";
  fields.extension = ".wav";
  fields.mediaType = kMediaWav;
  fields.playOut = out - in;
  fields.header = ClipMediaHeader(wav);
  fields.volume = FlatEnvelope(15050);
  return Clip(track, in, out, fields, select);
}

TLEvent* CommandTest::Still(std::int32_t track, std::int32_t in, std::int32_t out, bool select) {
  TLEventFields fields;
  fields.directory = "/media/";
  fields.name = "card";
  fields.extension = ".bmp";
  fields.mediaType = kMediaBmp;
  fields.playOut = out - in;
  return Clip(track, in, out, fields, select);
}

void CommandTest::Select(TLEvent* clip) {
  doc.ClearSelection();
  doc.AddSelection(clip);
}

}  // namespace sprocket::testing
