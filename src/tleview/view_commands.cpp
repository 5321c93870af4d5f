#include "tleview/view_commands.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>

#include "commands/clip_audio_commands.h"
#include "commands/command_ids.h"
#include "timeline/records/event_queries.h"
#include "tleview/tle_view.h"

namespace sprocket {

namespace {

constexpr const char* kCommandIdProperty = "sprocketCommandId";

struct MenuItem {
  int id;  // kSeparator: a separator
  const char* caption;
};

const MenuItem kEditItems[] = {
    {kCmdEditUndo, "&Undo\tCtrl+Z"}, {kCmdEditRedo, "&Redo\tCtrl+Y"},   {kSeparator, ""},
    {kCmdEditCut, "Cu&t\tCtrl+X"},   {kCmdEditPaste, "&Paste\tCtrl+V"}, {kCmdEditDelete, "&Delete\tDel"},
};

const MenuItem kClipItems[] = {
    {kCmdSplitRejoinAudioVideo, "&Split/Rejoin A/V\tS"},
    {kCmdFieldHandling, "AVI Clip &Field Handling..."},
    {kSeparator, ""},
    {kCmdFadeInFromBlack, "Fade &In from Black"},
    {kCmdFadeOutToBlack, "Fade &Out to Black"},
    {kSeparator, ""},
    {kCmdCopyAttributes, "&Copy Attributes"},
    {kCmdPasteAttributes, "P&aste Attributes"},
    {kCmdClipSpeed, "Clip S&peed..."},
    {kSeparator, ""},
    {kCmdMute, "Mute"},
    {kCmdMuteLeft, "Mute Left"},
    {kCmdMuteRight, "Mute Right"},
    {kCmdFillLeft, "Fill Left"},
    {kCmdFillRight, "Fill Right"},
    {kCmdFillBoth, "Fill Both"},
    {kCmdSwitchLeftRight, "Switch Left and Right"},
    {kSeparator, ""},
    {kCmdResetVolume, "Reset Volume"},
    {kCmdSetVolume, "Set Volume..."},
    {kCmdResetBalance, "Reset Balance"},
    {kCmdSetBalance, "Set Balance..."},
    {kSeparator, ""},
    {kCmdAudioPreviewTracks, "Audio Preview &Tracks..."},
    {kCmdTimelineDuration, "Timeline &Duration..."},
};

QAction* AddCommandAction(QMenu* menu, int id, const QString& caption, std::function<void(int)> run) {
  QAction* action = menu->addAction(caption);
  action->setProperty(kCommandIdProperty, id);
  QObject::connect(action, &QAction::triggered, menu, [run = std::move(run), id] { run(id); });
  return action;
}

// Enables, checks and names the menu's command items by the router's rules.
void ApplyRules(QMenu* menu, CommandRouter* router) {
  for (QAction* action : menu->actions()) {
    const QVariant id = action->property(kCommandIdProperty);
    if (!id.isValid()) continue;
    const CommandState state = router != nullptr ? router->Update(id.toInt()) : CommandState{};
    action->setEnabled(state.enabled);
    action->setCheckable(state.checked);
    action->setChecked(state.checked);
    if (!state.text.empty()) action->setText(QString::fromStdString(state.text));
  }
}

template <std::size_t N>
void AddItems(QMenu* menu, const MenuItem (&items)[N], std::function<CTLEView*()> activeView) {
  for (const MenuItem& item : items) {
    if (item.id == kSeparator) {
      menu->addSeparator();
      continue;
    }
    AddCommandAction(menu, item.id, QString::fromUtf8(item.caption), [activeView](int id) {
      if (CTLEView* view = activeView()) ViewCommands::Of(*view).Execute(id);
    });
  }
  QObject::connect(menu, &QMenu::aboutToShow, menu, [menu, activeView] {
    CTLEView* view = activeView();
    ApplyRules(menu, view != nullptr ? &ViewCommands::Of(*view).Router() : nullptr);
  });
}

}  // namespace

// --- ViewCommandBridge ---

void ViewCommandBridge::Repaint(const dc::Rect& rect) {
  view_.InvalidateRect(rect);
  view_.UpdateOtherViews(rect.left, rect.top, rect.right, rect.bottom);
}

void ViewCommandBridge::RepaintTrackArea() {
  const CTestDoc& doc = view_.GetDocument();
  const dc::Rect client = view_.ClientRect();
  Repaint({doc.TrackAreaLeft(), doc.TrackAreaTop(), client.right, client.bottom});
}

void ViewCommandBridge::ShowEdit(const EditReport& report) { view_.ShowEdit(report); }

void ViewCommandBridge::RepaintMarkBand() { Repaint(view_.GetMarkBandRect()); }

void ViewCommandBridge::RepaintRect(const ClipRect& rect) {
  const int scroll = view_.verticalScroll;
  Repaint({rect.left, rect.top - scroll, rect.right, rect.bottom - scroll});
}

void ViewCommandBridge::RepaintAll() { Repaint(view_.ClientRect()); }

void ViewCommandBridge::RebuildClipBitmaps(TLEvent* clip) { view_.RebuildClipBitmaps(clip); }

void ViewCommandBridge::RefreshClipThumbnails(TLEvent* clip) { view_.RefreshClipThumbnails(clip); }

void ViewCommandBridge::DrawClipWaveform(TLEvent* clip, int channel) { view_.DrawClipWaveform(clip, channel); }

void ViewCommandBridge::RecalcTimelineExtent() { view_.RecalcTimelineExtent(); }

void ViewCommandBridge::StopPreview() { view_.StopPreview(); }

void ViewCommandBridge::SetSpeedChange(bool on) { view_.speedChange = on ? 1 : 0; }

bool ViewCommandBridge::SpeedChange() const { return view_.speedChange != 0; }

// --- ViewCommands ---

ViewCommands::ViewCommands(CTLEView& view)
    : QObject(&view),
      view_(view),
      bridge_(view),
      dialogs_(&view),
      context_{view.GetDocument(), bridge_, dialogs_, {}},
      router_(context_) {
  setObjectName("ViewCommands");
  view.installEventFilter(this);
  view.viewport()->installEventFilter(this);
}

ViewCommands::~ViewCommands() = default;

ViewCommands& ViewCommands::Of(CTLEView& view) {
  if (auto* commands = view.findChild<ViewCommands*>("ViewCommands", Qt::FindDirectChildrenOnly)) return *commands;
  return *new ViewCommands(view);
}

bool ViewCommands::Execute(int id) {
  const bool ran = router_.Execute(id);
  if (ran) view_.UpdateNow();
  return ran;
}

TLEvent* ViewCommands::SelectClipAt(const QPoint& position) {
  CTestDoc& doc = view_.GetDocument();
  TLEvent* found = view_.ClipAtPoint(position.x(), position.y());
  view_.InvalidateSelection();
  doc.ClearSelection();
  if (found != nullptr) doc.AddSelection(found);
  view_.InvalidateAll();
  return found;
}

bool ViewCommands::HandleKey(const QKeyEvent& key) {
  const bool control = key.modifiers().testFlag(Qt::ControlModifier);
  const int code = key.key() == Qt::Key_Delete ? kKeyDelete : key.key();
  const int id = CommandForKey(code, control);
  if (id == 0) return false;
  Execute(id);
  return true;
}

std::unique_ptr<QMenu> ViewCommands::PopupAt(const QPoint& position) {
  const TLEvent* clip = SelectClipAt(position);
  const TLEvent* track = view_.TrackAtY(position.y());
  auto menu = std::make_unique<QMenu>(&view_);
  if (track != nullptr && track->trackType == kTrackTransition && position.x() >= view_.GetDocument().TrackAreaLeft()) {
    BuildTransitionTrackPopup(*menu);
    return menu;
  }
  if (track != nullptr && track->trackType != kTrackTransition && position.x() < view_.GetDocument().TrackAreaLeft()) {
    BuildTrackViewStatusPopup(*menu, track->trackNumber);
    return menu;
  }
  if (clip != nullptr && BuildClipPopup(*menu)) return menu;
  return nullptr;
}

void ViewCommands::BuildTrackViewStatusPopup(QMenu& menu, std::int32_t trackNumber) {
  const TLEvent* track = FindTrack(view_.GetDocument().Head(), trackNumber);
  if (track == nullptr) return;
  struct StatusItem {
    std::int32_t status;
    const char* caption;
  };
  static constexpr StatusItem kStatuses[] = {{kTrackViewBalance, "Balance"},
                                             {kTrackViewVideoOnly, "Video Only"},
                                             {kTrackViewVolume, "Volume"},
                                             {kTrackViewWaveform, "Actual Waveform"},
                                             {kTrackViewStereo, "Stereo"}};
  for (const StatusItem& item : kStatuses) {
    QAction* action = menu.addAction(item.caption);
    action->setCheckable(true);
    action->setChecked(track->viewStatus == item.status);
    const std::int32_t status = item.status;
    connect(action, &QAction::triggered, this,
            [this, trackNumber, status] { view_.SetTrackViewStatus(trackNumber, status); });
  }
}

bool ViewCommands::BuildClipPopup(QMenu& menu) {
  const TLEvent* clip = SelectedClip(view_.GetDocument());
  if (clip == nullptr) return false;
  if (clip->trackType == kTrackTransition) {
    BuildTransitionTrackPopup(menu);
    return true;
  }
  auto run = [this](int id) { Execute(id); };
  AddCommandAction(&menu, kPopupCopyAttributes, "Copy Attributes", run);
  AddCommandAction(&menu, kPopupPasteAttributes, "Paste Attributes", run);
  AddCommandAction(&menu, kPopupClipSpeed, "Clip Speed...", run);
  menu.addSeparator();
  // The sound items show for every clip; the rules disable them for a clip
  // without sound.
  for (const PopupItem& item : ClipSoundPopupItems(view_.GetDocument())) {
    if (item.id == kSeparator)
      menu.addSeparator();
    else
      AddCommandAction(&menu, item.id, QString::fromStdString(item.caption), run);
  }
  menu.addSeparator();
  if (popupExtender_) popupExtender_(menu, false, clip);
  AddCommandAction(&menu, kCmdEditCut, "Cut", run);
  AddCommandAction(&menu, kCmdEditDelete, "Delete", run);
  ApplyRules(&menu, &router_);
  return true;
}

void ViewCommands::BuildTransitionTrackPopup(QMenu& menu) {
  // The transition's own commands (its custom groups and effect sequence)
  // come from the effect commands; of the clip commands only Delete acts on
  // a transition: the attribute, speed and sound commands refuse the
  // transition track, and a cut transition could never be pasted back.
  const TLEvent* selected = SelectedClip(view_.GetDocument());
  const TLEvent* transition = selected != nullptr && selected->trackType == kTrackTransition ? selected : nullptr;
  if (popupExtender_) popupExtender_(menu, true, transition);
  AddCommandAction(&menu, kCmdEditDelete, "Delete", [this](int id) { Execute(id); });
  ApplyRules(&menu, &router_);
}

bool ViewCommands::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    if (HandleKey(*static_cast<QKeyEvent*>(event))) return true;
  } else if (event->type() == QEvent::ContextMenu && watched == view_.viewport()) {
    auto* menuEvent = static_cast<QContextMenuEvent*>(event);
    if (std::unique_ptr<QMenu> menu = PopupAt(menuEvent->pos())) menu->exec(menuEvent->globalPos());
    return true;
  }
  return QObject::eventFilter(watched, event);
}

void AddEditCommandItems(QMenu* menu, std::function<CTLEView*()> activeView) {
  AddItems(menu, kEditItems, std::move(activeView));
}

void AddClipCommandItems(QMenu* menu, std::function<CTLEView*()> activeView) {
  AddItems(menu, kClipItems, std::move(activeView));
}

}  // namespace sprocket
