#pragma once
// The description of one edit, handed to the document's edit routine.

#include <array>
#include <cstdint>

namespace sprocket {

// Kinds of edit: the string identifiers of their undo texts.
inline constexpr std::int32_t kEditChangeTransition = 165;
inline constexpr std::int32_t kEditSplitAudioVideo = 166;
inline constexpr std::int32_t kEditClipSpeed = 173;
inline constexpr std::int32_t kEditPasteClip = 175;  // Edit > Paste of a cut clip
inline constexpr std::int32_t kEditDeleteClip = 180;
inline constexpr std::int32_t kEditAudioVolume = 184;
inline constexpr std::int32_t kEditPasteAttributes = 61451;
inline constexpr std::int32_t kEditEffectSequence = 61454;

struct EditRecord {
  std::int32_t kind = 0;
  std::int32_t trackNumber = 0;
  // The first operand is a time difference or an in time, the second a length.
  std::array<std::int32_t, 7> operands{};
};

}  // namespace sprocket
