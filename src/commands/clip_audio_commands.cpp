#include "commands/clip_audio_commands.h"

#include <algorithm>
#include <array>

#include "commands/clip_commands.h"
#include "commands/command_ids.h"
#include "timeline/edit/clip_edits.h"
#include "timeline/records/edit_record.h"
#include "timeline/records/event_queries.h"

namespace sprocket {

namespace {

struct ChannelModeCommand {
  std::int32_t mode;
  int menuId;
  int popupId;
};
constexpr std::array<ChannelModeCommand, 8> kChannelModeCommands = {{
    {kChannelMute, kCmdMute, kPopupMute},
    {kChannelMute, kCmdMute, kPopupMuteBoth},
    {kChannelMuteLeft, kCmdMuteLeft, kPopupMuteLeft},
    {kChannelMuteRight, kCmdMuteRight, kPopupMuteRight},
    {kChannelFillLeft, kCmdFillLeft, kPopupFillLeft},
    {kChannelFillRight, kCmdFillRight, kPopupFillRight},
    {kChannelFillBoth, kCmdFillBoth, kPopupFillBoth},
    {kChannelSwitch, kCmdSwitchLeftRight, kPopupSwitchLeftRight},
}};

VolumeEnvelope& EnvelopeOf(TLEvent& clip, int channel) {
  return channel == kBalanceChannel ? clip.balance : clip.volume;
}

// The header of the given type with that ordinal among its type, or null.
const TLEvent* TrackByOrdinal(const TLEvent* head, char type, int ordinal) {
  for (const TLEvent* event = GetNextEvent(head); event != nullptr && event->kind == kEventTrackBegin;
       event = GetNextEvent(event))
    if (event->trackType == type && GetTrackOrdinal(event) == ordinal) return event;
  return nullptr;
}

}  // namespace

std::int32_t ChannelModeOfCommand(int id) {
  for (const ChannelModeCommand& command : kChannelModeCommands)
    if (command.menuId == id || command.popupId == id) return command.mode;
  return 0;
}

bool CanSetChannelMode(const CTestDoc& doc, std::int32_t mode) {
  const TLEvent* clip = SelectedClip(doc);
  if (clip == nullptr) return false;
  return mode == kChannelMute ? ClipHasSound(*clip) : ClipHasStereoSound(*clip);
}

bool ChannelModeChecked(const CTestDoc& doc, std::int32_t mode) {
  return CanSetChannelMode(doc, mode) && SelectedClip(doc)->channelMode == mode;
}

void ToggleChannelMode(CommandContext& context, std::int32_t mode) {
  if (!CanSetChannelMode(context.doc, mode)) return;
  context.view.StopPreview();
  TLEvent* clip = SelectedClip(context.doc);
  ConcludeEdit(context, SetChannelMode(context.doc, clip, clip->channelMode == mode ? 0 : mode));
}

bool CanSetLevel(const CTestDoc& doc) {
  const TLEvent* clip = SelectedClip(doc);
  return clip != nullptr && ClipHasSound(*clip);
}

void SetClipEnvelopeLevel(CommandContext& context, TLEvent* clip, std::int32_t level, int channel) {
  context.view.StopPreview();
  ConcludeEdit(context, SetEnvelope(context.doc, clip, channel, FlatEnvelope(std::clamp(level, 0, kEnvelopeMaxLevel))));
}

void ResetLevel(CommandContext& context, int channel) {
  if (!CanSetLevel(context.doc)) return;
  SetClipEnvelopeLevel(context, SelectedClip(context.doc), kEnvelopeFullLevel, channel);
}

void SetLevel(CommandContext& context, int channel) {
  if (!CanSetLevel(context.doc)) return;
  TLEvent* clip = SelectedClip(context.doc);
  const VolumeEnvelope& envelope = EnvelopeOf(*clip, channel);
  const int percent = envelope.empty() ? kEnvelopeFullLevel / 100 : envelope.front().level / 100;
  context.view.StopPreview();
  const auto chosen =
      context.dialogs.SetValue(channel == kBalanceChannel ? SetValueMode::kBalance : SetValueMode::kVolume, percent);
  if (!chosen) return;
  SetClipEnvelopeLevel(context, clip, std::clamp(*chosen, 0, kSetValueMax) * 100, channel);
}

void ChooseAudioPreviewTracks(CommandContext& context) {
  CTestDoc& doc = context.doc;
  TLEvent* head = doc.Head();
  if (head == nullptr) return;
  context.view.StopPreview();
  AudioPreviewChoice current;
  current.option = head->audioPreviewOption;
  std::vector<AudioPreviewChannel> tracks;
  std::size_t filled = 0;
  for (TLEvent* track = GetNextEvent(head); track != nullptr && track->kind == kEventTrackBegin;
       track = GetNextEvent(track)) {
    if (track->trackType == kTrackTransition) continue;
    const AudioPreviewChannel entry{track->trackType, GetTrackOrdinal(track), track->audioPreviewSelection < 0};
    tracks.push_back({entry.trackType, entry.ordinal, false});
    if (track->audioPreviewSelection != 0 && filled < current.channels.size()) current.channels[filled++] = entry;
  }
  const auto chosen = context.dialogs.AudioPreviewTracks(current, tracks);
  if (!chosen) return;
  // Channels name tracks by type and ordinal, the way the dialog showed
  // them, so choosing nothing new keeps the same tracks.
  std::vector<TrackPreviewSelection> selections;
  for (const AudioPreviewChannel& channel : chosen->channels) {
    if (channel.ordinal <= 0) continue;
    const TLEvent* track = TrackByOrdinal(head, channel.trackType, channel.ordinal);
    if (track != nullptr) selections.push_back({track->trackNumber, channel.switchedOff ? -1 : 1});
  }
  ConcludeEdit(context, SetAudioPreviewTracks(doc, chosen->option, selections));
}

std::vector<PopupItem> ClipSoundPopupItems(const CTestDoc& doc) {
  std::vector<PopupItem> items = {
      {kPopupResetVolume, "Reset Volume"}, {kPopupSetVolume, "Set Volume..."}, {kSeparator, ""}};
  const TLEvent* clip = SelectedClip(doc);
  if (clip == nullptr || !ClipHasStereoSound(*clip)) {
    items.push_back({kPopupMute, "Mute"});
    return items;
  }
  const std::vector<PopupItem> stereo = {{kPopupResetBalance, "Reset Balance"},
                                         {kPopupSetBalance, "Set Balance..."},
                                         {kSeparator, ""},
                                         {kPopupMuteLeft, "Mute Left"},
                                         {kPopupMuteRight, "Mute Right"},
                                         {kPopupMuteBoth, "Mute Both"},
                                         {kSeparator, ""},
                                         {kPopupFillLeft, "Fill Left"},
                                         {kPopupFillRight, "Fill Right"},
                                         {kPopupFillBoth, "Fill Both"},
                                         {kSeparator, ""},
                                         {kPopupSwitchLeftRight, "Switch Left and Right"}};
  items.insert(items.end(), stereo.begin(), stereo.end());
  return items;
}

}  // namespace sprocket
