#pragma once
// The catalogue of every transition and filter: one descriptor per effect
// with its id, names, texts and parameters (defaults and ranges).
//
// A filter record carries its values in parameter sets of eight 32-bit
// values (the first set holds the values at the start of the clip, an
// optional second set those at its end). Each parameter descriptor names the
// slot of its value in a set. Every transition has the slots 0 and 1 for its
// start and end percent, which the timeline reads; its own parameters use
// slots 2 and up.

#include <cstdint>
#include <span>
#include <string_view>

namespace sprocket {

enum class EffectKind : std::uint8_t { kTransition, kFilter };

enum class EffectFamily : std::uint8_t {
  kDissolve,
  kEdgeWipe,
  kBarnDoor,
  kIris,
  kClock,
  kPattern,
  kPush,
  kSlide,
  kUncover,
  kCornerWipe,
  kZoom,
  kSoftWipe,
  kSequence,
  kColourFilter,  // per-pixel colour and brightness changes
  kSharpness,     // blur, sharpen and other neighbourhood filters
  kKey,           // filters that make an alpha mask
  kGeometry,      // flips, rotation, pan and zoom
  kDistortion,
  kSpecial,  // screen-wide and prepared effects
  kPassThrough,
};

enum class ParamType : std::uint8_t {
  kInteger,
  kPercent,  // 0..100
  kAngle,    // degrees
  kColour,   // red | green << 8 | blue << 16
  kChoice,   // an index into the descriptor's choices
  kLevel,    // 0..255
};

struct ParamDescriptor {
  std::string_view name;   // a short key, e.g. "softness"
  std::string_view title;  // what the effect dialog shows
  ParamType type = ParamType::kInteger;
  std::int32_t slot = 0;  // index of the value in a parameter set (0..7)
  std::int32_t defaultValue = 0;
  std::int32_t minimum = 0;
  std::int32_t maximum = 0;
  std::string_view choices;  // kChoice: the choices' titles separated by '|'
};

inline constexpr std::int32_t kEffectParamSlots = 8;

// Effect flags.
inline constexpr std::uint32_t kEffectAlphaMask = 1u << 0;    // writes an alpha mask (keys)
inline constexpr std::uint32_t kEffectScreenWide = 1u << 1;   // may not move to the A/B roll
inline constexpr std::uint32_t kEffectFastPath = 1u << 2;     // the fast path renders it
inline constexpr std::uint32_t kEffectWipe = 1u << 3;         // B's share never shrinks as time goes on
inline constexpr std::uint32_t kEffectUsesPicture = 1u << 4;  // reads a picture of its bitmap list
inline constexpr std::uint32_t kEffectPrepared = 1u << 5;     // prepared before and released after a render

struct EffectDescriptor {
  std::int32_t id = 0;
  EffectKind kind = EffectKind::kFilter;
  EffectFamily family = EffectFamily::kColourFilter;
  std::string_view name;  // a short key, e.g. "cross_dissolve"
  std::string_view title;
  std::string_view description;
  std::span<const ParamDescriptor> params;
  std::uint32_t flags = 0;

  constexpr bool Has(std::uint32_t flag) const { return (flags & flag) != 0; }
  constexpr bool IsTransition() const { return kind == EffectKind::kTransition; }
};

// Every effect, transitions first, each group in id order.
std::span<const EffectDescriptor> EffectCatalog();
std::span<const EffectDescriptor> TransitionCatalog();
std::span<const EffectDescriptor> FilterCatalog();

// The descriptor of an id, or null.
const EffectDescriptor* FindEffect(std::int32_t id);
const EffectDescriptor* FindTransition(std::int32_t id);
const EffectDescriptor* FindFilter(std::int32_t id);

// The parameter of that name, or null.
const ParamDescriptor* FindParam(const EffectDescriptor& effect, std::string_view name);
// The number of choices of a kChoice parameter (1 for any other).
std::int32_t ChoiceCount(const ParamDescriptor& param);

// Filters that work with an alpha mask: ids 1500, 1510, 1550, 1552, 1560,
// 4001, 4020, 5000, 8002 and 8007 (plug-ins decide for themselves).
bool IsAlphaChannelEffect(std::int32_t id);
// The screen-wide effects that may not be moved from an overlay track onto
// the A/B roll: Video Screen Animation, Transparency Assignment, Gradient
// Wizard, Page Effect, Trailing Effect, Explosion Effect, Repetition 3D.
bool IsScreenWideEffect(std::int32_t id);

namespace catalog_detail {
// The two halves of the table, defined in their own files.
std::span<const EffectDescriptor> Transitions();
std::span<const EffectDescriptor> Filters();
}  // namespace catalog_detail

}  // namespace sprocket
