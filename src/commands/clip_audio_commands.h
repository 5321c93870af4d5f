#pragma once
// The commands on the sound of the selected clip: its channel mode (mute,
// fill or swap channels), resetting or setting its volume and balance, and
// the choice of the tracks that feed the four channels of audio preview.

#include <cstdint>
#include <string>
#include <vector>

#include "commands/command_context.h"

namespace sprocket {

// Channel modes of a clip (0: none).
inline constexpr std::int32_t kChannelMute = 1000;
inline constexpr std::int32_t kChannelMuteLeft = 1001;
inline constexpr std::int32_t kChannelMuteRight = 1002;
inline constexpr std::int32_t kChannelFillLeft = 1003;
inline constexpr std::int32_t kChannelFillRight = 1004;
inline constexpr std::int32_t kChannelFillBoth = 1005;
inline constexpr std::int32_t kChannelSwitch = 1006;

// The channel mode a command id (menu or pop-up) sets, 0 for other ids.
std::int32_t ChannelModeOfCommand(int id);
// Enabled: the clip has sound (mute) or stereo sound (the others).
bool CanSetChannelMode(const CTestDoc& doc, std::int32_t mode);
// Checked: enabled and the clip's mode is `mode`.
bool ChannelModeChecked(const CTestDoc& doc, std::int32_t mode);
// Sets the selected clip's mode, or clears it when it already is `mode`.
void ToggleChannelMode(CommandContext& context, std::int32_t mode);

// Volume (channel 0) and balance (channel 1) envelopes.
inline constexpr int kVolumeChannel = 0;
inline constexpr int kBalanceChannel = 1;
bool CanSetLevel(const CTestDoc& doc);
// Replaces the clip's envelope by the two points (level, 0), (level, 10000)
// as one undoable edit.
void SetClipEnvelopeLevel(CommandContext& context, TLEvent* clip, std::int32_t level, int channel);
void ResetLevel(CommandContext& context, int channel);
// Opens the set-value dialog at the envelope's first level.
void SetLevel(CommandContext& context, int channel);

// Chooses the audio preview tracks through the dialog.
void ChooseAudioPreviewTracks(CommandContext& context);

// One item of the clip pop-up's sound part (id kSeparator: a separator).
struct PopupItem {
  int id = 0;
  std::string caption;
  bool operator==(const PopupItem&) const = default;
};
// The sound items of the clip pop-up for the selected clip.
std::vector<PopupItem> ClipSoundPopupItems(const CTestDoc& doc);

}  // namespace sprocket
