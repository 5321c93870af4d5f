#pragma once
// Command identifiers of the timeline view's clip commands, as the main
// menu, the clip pop-up, the transition-track pop-up and the keys send them.
//
// Menu ids and pop-up ids are two names of one command: the router maps a
// pop-up id to its menu id (MenuIdOf) and runs the same handler.

namespace sprocket {

// --- Clip commands ---
inline constexpr int kCmdSplitRejoinAudioVideo = 33092;  // key 'S'
inline constexpr int kCmdFieldHandling = 33093;
inline constexpr int kCmdFadeInFromBlack = 33110;
inline constexpr int kCmdFadeOutToBlack = 33111;
inline constexpr int kCmdCopyAttributes = 33112;
inline constexpr int kCmdPasteAttributes = 33113;
inline constexpr int kCmdClipSpeed = 33142;
inline constexpr int kCmdTimelineDuration = 33156;
inline constexpr int kPopupCopyAttributes = 180;
inline constexpr int kPopupPasteAttributes = 181;
inline constexpr int kPopupClipSpeed = 218;

// --- Clip audio commands ---
inline constexpr int kCmdMute = 33145;
inline constexpr int kCmdMuteLeft = 33146;
inline constexpr int kCmdMuteRight = 33147;
inline constexpr int kCmdSwitchLeftRight = 33148;
inline constexpr int kCmdFillBoth = 33149;
inline constexpr int kCmdResetVolume = 33150;
inline constexpr int kCmdSetVolume = 33151;
inline constexpr int kCmdFillLeft = 33152;
inline constexpr int kCmdFillRight = 33153;
inline constexpr int kCmdResetBalance = 33165;
inline constexpr int kCmdSetBalance = 33166;
inline constexpr int kCmdAudioPreviewTracks = 33143;
inline constexpr int kPopupMute = 220;
inline constexpr int kPopupResetVolume = 221;
inline constexpr int kPopupSetVolume = 222;
inline constexpr int kPopupMuteLeft = 223;
inline constexpr int kPopupMuteRight = 224;
inline constexpr int kPopupMuteBoth = 225;
inline constexpr int kPopupFillLeft = 226;
inline constexpr int kPopupFillRight = 227;
inline constexpr int kPopupFillBoth = 228;
inline constexpr int kPopupSwitchLeftRight = 229;
inline constexpr int kPopupResetBalance = 230;
inline constexpr int kPopupSetBalance = 231;

// --- Edit menu ---
inline constexpr int kCmdEditDelete = 57632;
inline constexpr int kCmdEditCut = 57635;
inline constexpr int kCmdEditPaste = 57637;
inline constexpr int kCmdEditUndo = 57643;
inline constexpr int kCmdEditRedo = 57644;

// A pop-up item separator in item lists.
inline constexpr int kSeparator = 0;

// The menu id a pop-up id stands for (the id itself when it is no pop-up id).
int MenuIdOf(int id);

}  // namespace sprocket
