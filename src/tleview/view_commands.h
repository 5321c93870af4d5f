#pragma once
// The clip commands of one timeline view: the view's side of the command
// seams, the router over the view's document, the clip pop-up, the
// transition track's pop-up, the keys (Delete, 'S', Ctrl+X, Ctrl+V, Ctrl+Z,
// Ctrl+Y) and the main menu's items.
//
// A ViewCommands is a child of its view (ViewCommands::Of finds it); it
// watches the view's keys and right clicks.

#include <QObject>
#include <functional>
#include <memory>

#include "commands/command_router.h"
#include "platform/qt/dc_types.h"
#include "tleview/clip_command_dialogs.h"

class QKeyEvent;
class QMenu;
class QPoint;

namespace sprocket {

class CTLEView;

// The view operations the commands ask, done on a CTLEView.
class ViewCommandBridge : public ViewOperations {
public:
  explicit ViewCommandBridge(CTLEView& view) : view_(view) {}
  void ShowEdit(const EditReport& report) override;
  void RepaintTrackArea() override;
  void RepaintMarkBand() override;
  void RepaintRect(const ClipRect& rect) override;
  void RepaintAll() override;
  void RebuildClipBitmaps(TLEvent* clip) override;
  void RefreshClipThumbnails(TLEvent* clip) override;
  void DrawClipWaveform(TLEvent* clip, int channel) override;
  void RecalcTimelineExtent() override;
  void StopPreview() override;
  void SetSpeedChange(bool on) override;
  bool SpeedChange() const override;

private:
  void Repaint(const dc::Rect& rect);
  CTLEView& view_;
};

class ViewCommands : public QObject {
  Q_OBJECT
public:
  explicit ViewCommands(CTLEView& view);
  ~ViewCommands() override;
  // The commands of a view (made on first use).
  static ViewCommands& Of(CTLEView& view);

  CommandRouter& Router() { return router_; }
  // Cut and Paste of this view use `clipboard` (each view has its own until
  // given one to share).
  void ShareCutClipboard(const CutClipboard& clipboard) { context_.cutClip = clipboard; }
  // Runs a command by id; false when disabled.
  bool Execute(int id);
  // Runs the command a key sends (the update rule decides); false when the
  // key sends none.
  bool HandleKey(const QKeyEvent& key);
  // A right click at a view position: selects the clip under it and builds
  // the pop-up to show there, the transition track's on that track, else the
  // clip pop-up for a clip; null when there is none to show.
  std::unique_ptr<QMenu> PopupAt(const QPoint& position);
  // Fills a menu with the clip pop-up's items for the selected clip (the
  // transition track's pop-up for a transition); false when no clip is
  // selected.
  bool BuildClipPopup(QMenu& menu);
  // Fills a menu with the transition track's pop-up for the selected
  // transition, or for the empty track when none is selected.
  void BuildTransitionTrackPopup(QMenu& menu);
  // Fills a menu with the view statuses a video or audio track's header
  // offers ("Balance", "Video Only", "Volume", "Actual Waveform", "Stereo"),
  // the track's own checked; choosing one changes it (one undo step).
  void BuildTrackViewStatusPopup(QMenu& menu, std::int32_t trackNumber);
  // Adds items of other command groups to a pop-up: to the clip pop-up for
  // the selected clip, before its Cut and Delete items; to the transition
  // track's pop-up (`onTransitionTrack`) for the selected transition, or null.
  using PopupExtender = std::function<void(QMenu& menu, bool onTransitionTrack, const TLEvent* clip)>;
  void SetPopupExtender(PopupExtender extender) { popupExtender_ = std::move(extender); }
  // Selects the clip under a view position (none: the selection is emptied).
  TLEvent* SelectClipAt(const QPoint& position);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  CTLEView& view_;
  ViewCommandBridge bridge_;
  WidgetDialogProvider dialogs_;
  CommandContext context_;
  CommandRouter router_;
  PopupExtender popupExtender_;
};

// Adds the Edit items (Undo, Redo, Cut, Delete) and the Clip menu's items to
// main-menu menus; each acts on the view `activeView` gives when chosen, and
// the items are enabled, checked and named by its rules when the menu opens.
void AddEditCommandItems(QMenu* menu, std::function<CTLEView*()> activeView);
void AddClipCommandItems(QMenu* menu, std::function<CTLEView*()> activeView);

}  // namespace sprocket
