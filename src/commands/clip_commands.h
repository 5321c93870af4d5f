#pragma once
// The commands on the selected clip and on the whole timeline: splitting an
// AVI clip's sound onto an audio track and joining it back, fades from and
// to black, field handling, copying and pasting attributes, clip speed,
// deleting the selected clip and the timeline duration. Each Can... answers
// the command's update rule; each command does nothing when its rule says no.

#include <cstdint>

#include "commands/command_context.h"

namespace sprocket {

// The text of the speed refusal.
inline constexpr const char* kSpeedOverlapMessage = "Can not set specified speed due to clip overlapping";
// Fades: the other roll track must be free this long at the clip's edge;
// the black clip lasts at most this long.
inline constexpr std::int32_t kFadeCheckMs = 33;
inline constexpr std::int32_t kFadeLengthMs = 1000;
// Bounds of the timeline duration dialog.
inline constexpr std::int32_t kShortestDurationMs = 180000;
inline constexpr std::int32_t kLongestDurationMs = 7200000;
// The first track number of overlay video tracks (above the A/B roll).
inline constexpr std::int32_t kFirstOverlayTrack = 4;

bool CanSplitOrRejoin(const CTestDoc& doc);
void SplitOrRejoinAudioVideo(CommandContext& context);

bool CanSetFieldHandling(const CTestDoc& doc);
void SetFieldHandling(CommandContext& context);

bool CanFade(CTestDoc& doc, bool fadeIn);
void FadeFromOrToBlack(CommandContext& context, bool fadeIn);

bool CanCopyAttributes(const CTestDoc& doc);
void CopyAttributes(CommandContext& context);
bool CanPasteAttributes(const CTestDoc& doc);
void PasteAttributes(CommandContext& context);

bool CanSetClipSpeed(const CTestDoc& doc);
void SetClipSpeed(CommandContext& context);

// Deletes the selected clip (one undo step, a warning when transitions go
// with it). False when nothing was deleted (no selection, or refused).
bool DeleteSelectedClip(CommandContext& context);

void SetTimelineDuration(CommandContext& context);

// True for a WAV clip and for an AVI clip with 8- or 16-bit sound.
bool ClipHasSound(const TLEvent& clip);
// True for a two-channel WAV clip, or an AVI clip with two channels of 8- or
// 16-bit sound.
bool ClipHasStereoSound(const TLEvent& clip);

}  // namespace sprocket
