// The main window's Movie and Effects menus: Make Movie with the movie or
// the preview settings, segment rendering, the last movie's statistics, the
// custom transition groups (their slots and the New, Edit and Delete
// commands) and the effect sequence editor on a clip or a transition. The
// same effect commands are added to the view's clip pop-up.

#include <QMenu>
#include <QMenuBar>

#include "app/effect_sequence_dialog.h"
#include "app/fx_group_dialogs.h"
#include "app/main_frame.h"
#include "app/movie_output_dialogs.h"
#include "app/movie_stats_dialog.h"
#include "app/preview_window_player.h"
#include "effects/custom_fx_apply.h"
#include "effects/custom_fx_commands.h"
#include "effects/effect_command_rules.h"
#include "effects/effect_sequence_edit.h"
#include "effects/last_movie_stats.h"
#include "platform/prompts.h"
#include "tleview/tle_view.h"
#include "tleview/view_commands.h"
#include "tleview/view_previews.h"

namespace sprocket {

namespace {

constexpr const char* kEffectCommandProperty = "sprocketEffectCommandId";

struct MovieMenuItem {
  std::int32_t id;
  const char* caption;
};

const MovieMenuItem kMakeMovieItems[] = {
    {33028, "Make Movie &AVI..."},
    {33031, "Make Movie &FLC..."},
    {33030, "Make Movie &Image Sequence..."},
    {33029, "Make Movie &WAV..."},
    {32981, "Make Preview A&VI..."},
    {33033, "Make Preview F&LC..."},
    {33032, "Make Preview Image Se&quence..."},
    {33023, "Make &Preview WAV..."},
};

struct SegmentMenuItem {
  SegmentRenderKind kind;
  const char* caption;
};

const SegmentMenuItem kSegmentItems[] = {
    {SegmentRenderKind::kAll, "Render All Se&gments"},
    {SegmentRenderKind::kMarked, "Render Mar&ked Segments"},
    {SegmentRenderKind::kInRange, "Render Segments in Ra&nge"},
};

bool IsGroupCommand(std::int32_t id) {
  return id == kCmdNewCustomFxGroup || id == kCmdNewCustomFxGroupPopup || id == kCmdEditCustomFxGroup ||
         id == kCmdEditCustomFxGroupPopup || id == kCmdDeleteCustomFxGroup || id == kCmdDeleteCustomFxGroupPopup;
}

}  // namespace

void CMainFrame::createMovieMenus() {
  QMenu* movie = menuBar()->addMenu(tr("&Movie"));
  for (const MovieMenuItem& item : kMakeMovieItems) {
    if (item.id == kMakeMovieCommands[4].id) movie->addSeparator();
    movie->addAction(tr(item.caption), this, [this, id = item.id] { OnMakeMovie(id); })->setData(item.id);
  }
  movie->addSeparator();
  for (const SegmentMenuItem& item : kSegmentItems) {
    movie->addAction(tr(item.caption), this, [this, kind = item.kind] { OnRenderSegments(kind); });
  }
  movie->addSeparator();
  QAction* stats = movie->addAction(tr("Last Compiled Movie &Statistics..."), this,
                                    [this] { RunEffectCommand(kCmdLastMovieStatistics); });
  stats->setProperty(kEffectCommandProperty, kCmdLastMovieStatistics);
  connect(movie, &QMenu::aboutToShow, this, [this, movie] {
    for (QAction* action : movie->actions()) {
      const QVariant id = action->property(kEffectCommandProperty);
      if (action->isSeparator()) continue;
      action->setEnabled(id.isValid() ? IsEffectCommandEnabled(id.toInt()) : ActiveView() != nullptr);
    }
  });

  effectsMenu_ = menuBar()->addMenu(tr("Effec&ts"));
  customFxMenu_ = effectsMenu_->addMenu(tr("Custom Transition &Group"));
  const auto addEffect = [this](QMenu* menu, std::int32_t id, const QString& caption) {
    menu->addAction(caption, this, [this, id] { RunEffectCommand(id); })->setProperty(kEffectCommandProperty, id);
  };
  QMenu* groups = effectsMenu_->addMenu(tr("&Edit Custom Transition Group"));
  addEffect(groups, kCmdNewCustomFxGroup, tr("&New"));
  addEffect(groups, kCmdEditCustomFxGroup, tr("&Edit"));
  addEffect(groups, kCmdDeleteCustomFxGroup, tr("&Delete"));
  effectsMenu_->addSeparator();
  addEffect(effectsMenu_, kCmdEffectSequenceOnClip, tr("DIR Azarivev on &Clip..."));
  addEffect(effectsMenu_, kCmdEffectSequenceOnTransition, tr("DIR azarivev..."));
  for (QMenu* menu : {effectsMenu_, customFxMenu_}) {
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
      for (QAction* action : menu->actions()) {
        const QVariant id = action->property(kEffectCommandProperty);
        if (id.isValid()) action->setEnabled(IsEffectCommandEnabled(id.toInt()));
      }
    });
  }
  RebuildCustomFxMenu();
}

void CMainFrame::RebuildCustomFxMenu() {
  customFxMenu_->clear();
  for (const CustomFxMenuItem& item : CustomFxMenuItems(profile_)) {
    QAction* action = customFxMenu_->addAction(QString::fromStdString(item.title), this,
                                               [this, id = item.commandId] { RunEffectCommand(id); });
    action->setProperty(kEffectCommandProperty, item.commandId);
  }
  customFxMenu_->setEnabled(!customFxMenu_->isEmpty());
}

void CMainFrame::AddEffectPopupItems(QMenu& menu, bool onTransitionTrack, const TLEvent* clip) {
  // A pop-up id has no update rule of its own: it is enabled by its menu
  // command's rule (`ruleId`), or always for the group commands.
  const auto add = [this](QMenu* into, std::int32_t id, std::int32_t ruleId, const QString& caption) {
    QAction* action = into->addAction(caption, this, [this, id] { RunEffectCommand(id); });
    action->setEnabled(IsEffectCommandEnabled(ruleId));
  };
  if (!onTransitionTrack) {
    if (clip != nullptr && clip->trackType == kTrackVideo) {
      add(&menu, kCmdEffectSequenceOnClip, kCmdEffectSequenceOnClip, tr("DIR Azarivev..."));
      menu.addSeparator();
    }
    return;
  }
  QMenu* slotMenu = menu.addMenu(tr("Custom Transition Group"));
  for (const CustomFxMenuItem& item : CustomFxMenuItems(profile_)) {
    add(slotMenu, item.alternateId, item.commandId, QString::fromStdString(item.title));
  }
  slotMenu->setEnabled(!slotMenu->isEmpty());
  QMenu* groups = menu.addMenu(tr("Edit Custom Transition Group"));
  add(groups, kCmdNewCustomFxGroupPopup, kCmdNewCustomFxGroupPopup, tr("New"));
  add(groups, kCmdEditCustomFxGroupPopup, kCmdEditCustomFxGroupPopup, tr("Edit"));
  add(groups, kCmdDeleteCustomFxGroupPopup, kCmdDeleteCustomFxGroupPopup, tr("Delete"));
  add(&menu, kCmdEffectSequenceOnTransitionPopup, kCmdEffectSequenceOnTransition, tr("DIR azarivev..."));
  menu.addSeparator();
}

int CMainFrame::OnMakeMovie(std::int32_t commandId) {
  CTLEView* view = ActiveView();
  const std::optional<MakeMovieCommand> command = FindMakeMovieCommand(commandId);
  if (view == nullptr || !command.has_value()) return -1;
  EditorMovieOutputDialogs fileDialogs(this);
  std::unique_ptr<PreviewWindowPlayer> player;
  if (previewWindow_ != nullptr) player = std::make_unique<PreviewWindowPlayer>(*previewWindow_);
  EditorMovieSetup setup = MovieSetupFor(*view, fileDialogs);
  setup.player = player.get();
  EditorMovieService movies(view->GetDocument(), setup);
  if (renderWindowWatcher_) movies.SetWindowWatcher(renderWindowWatcher_);
  const int result = movies.RunCommand(*command);
  view->RepaintNow();
  return result;
}

EditorMovieSetup CMainFrame::MovieSetupFor(CTLEView& view, EditorMovieOutputDialogs& fileDialogs) {
  EditorMovieSetup setup;
  setup.view = &view;
  setup.lineView = &view;
  setup.dialogs = movieEffectDialogs_.movieOutput != nullptr ? movieEffectDialogs_.movieOutput : &fileDialogs;
  setup.parent = this;
  setup.profile = &profile_;
  setup.app = &app_;
  // The board the view's previews play on: segments made in its format
  // become its clips.
  setup.board = &view.Previews().Board();
  return setup;
}

int CMainFrame::OnRenderSegments(SegmentRenderKind kind) {
  CTLEView* view = ActiveView();
  if (view == nullptr) return -1;
  EditorMovieOutputDialogs fileDialogs(this);
  EditorMovieSetup setup = MovieSetupFor(*view, fileDialogs);
  EditorMovieService movies(view->GetDocument(), setup);
  if (renderWindowWatcher_) movies.SetWindowWatcher(renderWindowWatcher_);
  return movies.RenderSegments(kind);  // repaints the ruler's segment band here and in the other views
}

bool CMainFrame::IsEffectCommandEnabled(std::int32_t commandId) const {
  if (commandId == kCmdLastMovieStatistics) return HasLastMovie(profile_);
  const CTLEView* view = ActiveView();
  if (view == nullptr) return IsGroupCommand(commandId);
  return EffectCommandEnabled(commandId, view->GetDocument(), profile_).value_or(false);
}

bool CMainFrame::RunEffectCommand(std::int32_t commandId) {
  if (!IsEffectCommandEnabled(commandId)) return false;
  CTLEView* view = ActiveView();
  QtCustomFxGroupDialogs windowDialogs(profile_, this);
  CustomFxGroupDialogs& groups = movieEffectDialogs_.groups != nullptr ? *movieEffectDialogs_.groups : windowDialogs;
  if (commandId == kCmdNewCustomFxGroup || commandId == kCmdNewCustomFxGroupPopup) {
    NewCustomFxGroup(groups);
  } else if (commandId == kCmdEditCustomFxGroup || commandId == kCmdEditCustomFxGroupPopup) {
    EditCustomFxGroup(groups);
  } else if (commandId == kCmdDeleteCustomFxGroup || commandId == kCmdDeleteCustomFxGroupPopup) {
    DeleteCustomFxGroup(groups);
  } else if (commandId == kCmdLastMovieStatistics) {
    ShowLastMovieStatistics();
    return true;
  } else if (view == nullptr) {
    return false;
  } else if (const int slot = CustomFxSlotOfCommand(commandId); slot != 0) {
    ApplyFxSlot(*view, slot);
    return true;
  } else if (commandId == kCmdEffectSequenceOnClip) {
    EditEffectSequence(*view, false);
    return true;
  } else if (commandId == kCmdEffectSequenceOnTransition || commandId == kCmdEffectSequenceOnTransitionPopup) {
    EditEffectSequence(*view, true);
    return true;
  } else {
    return false;
  }
  RebuildCustomFxMenu();  // a group may have been added, renamed or removed
  return true;
}

void CMainFrame::ApplyFxSlot(CTLEView& view, int slot) {
  view.StopPreview();
  CTestDoc& doc = view.GetDocument();
  TLEvent* transition = SelectedTransition(doc);
  const ApplyFxOutcome outcome = ApplyCustomFxSlot(doc, CustomFxRegistry(profile_), slot);
  if (outcome.result == ApplyFxResult::kDamagedFile) ShowMessage(outcome.error, MB_OK | MB_ICONEXCLAMATION);
  if (outcome.result != ApplyFxResult::kApplied) return;
  if (transition != nullptr) view.RebuildClipBitmaps(transition);
  view.InvalidateAll();
  view.UpdateOtherViews();
}

void CMainFrame::EditEffectSequence(CTLEView& view, bool transition) {
  view.StopPreview();
  CTestDoc& doc = view.GetDocument();
  TLEvent* record = transition ? SelectedTransition(doc) : SelectedVideoClip(doc);
  QtEffectSequenceDialog windowDialog(this);
  EffectSequenceDialog& dialog = movieEffectDialogs_.sequence != nullptr ? *movieEffectDialogs_.sequence : windowDialog;
  const EffectSequenceOutcome outcome =
      transition ? EditTransitionEffectSequence(doc, dialog) : EditClipEffectSequence(doc, dialog);
  if (outcome == EffectSequenceOutcome::kApplied && record != nullptr) view.RebuildClipBitmaps(record);
  view.InvalidateAll();
  view.UpdateOtherViews();
}

void CMainFrame::ShowLastMovieStatistics() {
  CMovieStatsDlg dialog(profile_, this);
  if (movieEffectDialogs_.showStats) {
    movieEffectDialogs_.showStats(dialog);
  } else {
    dialog.exec();
  }
}

}  // namespace sprocket
