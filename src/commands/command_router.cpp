#include "commands/command_router.h"

#include "commands/clip_audio_commands.h"
#include "commands/clip_clipboard.h"
#include "commands/clip_commands.h"
#include "commands/command_ids.h"
#include "platform/string_table.h"
#include "timeline/document/view_edits.h"
#include "timeline/edit/edit_outcome.h"
#include "timeline/records/edit_record.h"
#include "timeline/records/event_queries.h"

namespace sprocket {

namespace {

constexpr const char* kPlainUndoText = "&Undo\tCtrl+Z";
constexpr const char* kPlainRedoText = "&Redo\tCtrl+Y";

// The redo caption of an undo text: "&Undo x\tCtrl+Z" reads "&Redo x\tCtrl+Y".
std::string RedoCaptionOf(std::string text) {
  if (text.rfind("&Undo", 0) == 0) text.replace(0, 5, "&Redo");
  if (const auto tab = text.find("\tCtrl+Z"); tab != std::string::npos) text.replace(tab, 7, "\tCtrl+Y");
  return text;
}

CommandState Enabled(bool enabled) { return CommandState{enabled, false, {}}; }

}  // namespace

int MenuIdOf(int id) {
  switch (id) {
    case kPopupCopyAttributes:
      return kCmdCopyAttributes;
    case kPopupPasteAttributes:
      return kCmdPasteAttributes;
    case kPopupClipSpeed:
      return kCmdClipSpeed;
    case kPopupResetVolume:
      return kCmdResetVolume;
    case kPopupSetVolume:
      return kCmdSetVolume;
    case kPopupResetBalance:
      return kCmdResetBalance;
    case kPopupSetBalance:
      return kCmdSetBalance;
    case kPopupMute:
    case kPopupMuteBoth:
      return kCmdMute;
    case kPopupMuteLeft:
      return kCmdMuteLeft;
    case kPopupMuteRight:
      return kCmdMuteRight;
    case kPopupFillLeft:
      return kCmdFillLeft;
    case kPopupFillRight:
      return kCmdFillRight;
    case kPopupFillBoth:
      return kCmdFillBoth;
    case kPopupSwitchLeftRight:
      return kCmdSwitchLeftRight;
    default:
      return id;
  }
}

std::string UndoText(const CTestDoc& doc) {
  const std::string_view text = StringText(doc.UndoKind());
  return doc.undoSteps.empty() || text.empty() ? kPlainUndoText : std::string(text);
}

std::string RedoText(const CTestDoc& doc) {
  if (doc.redoSteps.empty()) return kPlainRedoText;
  const std::string_view text = StringText(doc.redoSteps.back().kind);
  return text.empty() ? kPlainRedoText : RedoCaptionOf(std::string(text));
}

bool CommandRouter::Handles(int id) const {
  const int menuId = MenuIdOf(id);
  switch (menuId) {
    case kCmdSplitRejoinAudioVideo:
    case kCmdFieldHandling:
    case kCmdFadeInFromBlack:
    case kCmdFadeOutToBlack:
    case kCmdCopyAttributes:
    case kCmdPasteAttributes:
    case kCmdClipSpeed:
    case kCmdTimelineDuration:
    case kCmdResetVolume:
    case kCmdSetVolume:
    case kCmdResetBalance:
    case kCmdSetBalance:
    case kCmdAudioPreviewTracks:
    case kCmdEditDelete:
    case kCmdEditCut:
    case kCmdEditPaste:
    case kCmdEditUndo:
    case kCmdEditRedo:
      return true;
    default:
      return ChannelModeOfCommand(menuId) != 0;
  }
}

CommandState CommandRouter::Update(int id) const {
  CTestDoc& doc = context_.doc;
  const int menuId = MenuIdOf(id);
  if (const std::int32_t mode = ChannelModeOfCommand(id); mode != 0) {
    CommandState state{CanSetChannelMode(doc, mode), ChannelModeChecked(doc, mode), {}};
    if (id == kCmdMute) {
      const TLEvent* clip = SelectedClip(doc);
      state.text = clip != nullptr && ClipHasStereoSound(*clip) ? "Mute Both" : "Mute";
    }
    return state;
  }
  switch (menuId) {
    case kCmdSplitRejoinAudioVideo:
      return Enabled(CanSplitOrRejoin(doc));
    case kCmdFieldHandling:
      return Enabled(CanSetFieldHandling(doc));
    case kCmdFadeInFromBlack:
      return Enabled(CanFade(doc, true));
    case kCmdFadeOutToBlack:
      return Enabled(CanFade(doc, false));
    case kCmdCopyAttributes:
      return Enabled(CanCopyAttributes(doc));
    case kCmdPasteAttributes:
      return Enabled(CanPasteAttributes(doc));
    case kCmdClipSpeed:
      return Enabled(CanSetClipSpeed(doc));
    case kCmdTimelineDuration:
    case kCmdAudioPreviewTracks:
      return Enabled(true);
    case kCmdResetVolume:
    case kCmdSetVolume:
    case kCmdResetBalance:
    case kCmdSetBalance:
      return Enabled(CanSetLevel(doc));
    case kCmdEditDelete:
      return Enabled(CanDeleteClip(doc));
    case kCmdEditCut:
      return Enabled(CanCutClip(doc));
    case kCmdEditPaste:
      return Enabled(CanPasteClip(context_));
    case kCmdEditUndo:
      return {!doc.undoSteps.empty(), false, UndoText(doc)};
    case kCmdEditRedo:
      return {!doc.redoSteps.empty(), false, RedoText(doc)};
    default:
      return {};
  }
}

bool CommandRouter::Execute(int id) {
  if (!Handles(id) || !Update(id).enabled) return false;
  Run(MenuIdOf(id));
  return true;
}

void CommandRouter::Run(int menuId) {
  CommandContext& c = context_;
  if (const std::int32_t mode = ChannelModeOfCommand(menuId); mode != 0) {
    ToggleChannelMode(c, mode);
    return;
  }
  switch (menuId) {
    case kCmdSplitRejoinAudioVideo:
      SplitOrRejoinAudioVideo(c);
      break;
    case kCmdFieldHandling:
      SetFieldHandling(c);
      break;
    case kCmdFadeInFromBlack:
      FadeFromOrToBlack(c, true);
      break;
    case kCmdFadeOutToBlack:
      FadeFromOrToBlack(c, false);
      break;
    case kCmdCopyAttributes:
      CopyAttributes(c);
      break;
    case kCmdPasteAttributes:
      PasteAttributes(c);
      break;
    case kCmdClipSpeed:
      SetClipSpeed(c);
      break;
    case kCmdTimelineDuration:
      SetTimelineDuration(c);
      break;
    case kCmdResetVolume:
      ResetLevel(c, kVolumeChannel);
      break;
    case kCmdSetVolume:
      SetLevel(c, kVolumeChannel);
      break;
    case kCmdResetBalance:
      ResetLevel(c, kBalanceChannel);
      break;
    case kCmdSetBalance:
      SetLevel(c, kBalanceChannel);
      break;
    case kCmdAudioPreviewTracks:
      ChooseAudioPreviewTracks(c);
      break;
    case kCmdEditDelete:
      DeleteClipCommand(c);
      break;
    case kCmdEditCut:
      CutClip(c);
      break;
    case kCmdEditPaste:
      PasteClip(c);
      break;
    case kCmdEditUndo:
      c.view.StopPreview();
      if (c.doc.RevertLastEdit()) AfterTimelineReplaced(c);
      break;
    case kCmdEditRedo:
      c.view.StopPreview();
      if (c.doc.RedoLastEdit()) AfterTimelineReplaced(c);
      break;
    default:
      break;
  }
}

int CommandForKey(int key, bool control) {
  if (!control && key == 'S') return kCmdSplitRejoinAudioVideo;
  if (!control && key == kKeyDelete) return kCmdEditDelete;
  if (control && key == 'X') return kCmdEditCut;
  if (control && key == 'V') return kCmdEditPaste;
  if (control && key == 'Z') return kCmdEditUndo;
  if (control && key == 'Y') return kCmdEditRedo;
  return 0;
}

// --- The context's helpers ---

TLEvent* SelectedClip(const CTestDoc& doc) { return doc.selection.empty() ? nullptr : doc.selection.front().clip; }

void AfterTimelineReplaced(CommandContext& context) {
  context.view.RecalcTimelineExtent();
  context.view.RepaintAll();
}

bool ConcludeEdit(CommandContext& context, const EditResult& result) {
  if (!ShowEditOutcome(context.doc, result)) return false;
  if (result.report.changed) context.view.ShowEdit(result.report);
  return true;
}

}  // namespace sprocket
