#pragma once
// The editor's main window: an MDI area for timeline windows, the menus of
// the document windows (File New, Open, Save, Save As, Close; Window New
// Window), the view's zoom commands, and a status bar that shows the free
// memory and the position picked in the ruler.

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "app/document_dialogs.h"
#include "app/movie_output_dialogs.h"
#include "app/movie_service.h"
#include "commands/command_context.h"
#include "platform/application_state.h"
#include "platform/settings/profile.h"

class QLabel;
class QMenu;
class QMdiArea;
class QTimer;

namespace sprocket {

class CMovieStatsDlg;
class CPreviewWnd;
class CTipWnd;
class CustomFxGroupDialogs;
class EffectSequenceDialog;
class PreferencesDialogs;
class PreviewWindowLink;
class CTestFrame;
class CTLEView;
struct ViewedDocument;
struct TLEvent;

class CMainFrame : public QMainWindow {
  Q_OBJECT
public:
  // `dialogs` (not owned; null: the file dialogs) answers the open and save
  // questions.
  explicit CMainFrame(DocumentDialogs* dialogs = nullptr, ApplicationState* app = nullptr, Profile* profile = nullptr,
                      QWidget* parent = nullptr);
  ~CMainFrame() override;

  QMdiArea* mdiArea() const { return mdiArea_; }
  // The status bar's free-memory text, refreshed once a second.
  QString freeMemoryText() const;
  void refreshFreeMemory();

  // The active timeline window and its view (null when none).
  CTestFrame* ActiveFrame() const;
  CTLEView* ActiveView() const;

  // The document commands.
  CTestFrame* OnFileNew();
  void OnFileOpen();
  // Opens a timeline file in a new window; a file that does not read shows
  // its message and opens nothing (null).
  CTestFrame* OpenTimeline(const std::string& path);
  bool OnFileSave();
  bool OnFileSaveAs();
  void OnFileClose();
  CTestFrame* OnWindowNewWindow();
  // Writes the active timeline's backup when it has changes.
  void OnAutoSave();

  // --- Preferences (main_frame_preferences.cpp) ---
  // `dialogs` (not owned; null: the Preferences dialog) answers File >
  // Preferences.
  void SetPreferencesDialogs(PreferencesDialogs* dialogs) { preferencesDialogs_ = dialogs; }
  // Edits the output settings; on OK stores them, makes them the
  // application's and sets the field orders of the open timelines' AVI
  // clips. False on Cancel or refused values.
  bool OnPreferences();

  // --- Previews (main_frame_preview.cpp) ---
  // The preview window the views scrub and play in (not owned; null: none).
  void SetPreviewWindow(CPreviewWnd* window);
  // Plays a movie file in the preview window; false, after a message, when
  // it cannot be played.
  bool PlayMovieFile(const std::string& path);
  void OnPlayMovieFile();
  // Plays the movie Make Movie wrote last (the "Last Make Movie" settings).
  bool OnPlayLastMovie();
  void OnStopPreview();
  // Stops the previews, scrubs and mouse gestures of every view (before the
  // preview window they play in goes).
  void StopAllPreviews();
  void OnBoardPreview(bool preview);
  // The mixing console's range playback of the active view's preview range.
  void OnConsoleRangePlayback();

  // --- Movies and effects (main_frame_movies.cpp) ---
  // What the movie and effect commands ask; a null member: the editor's own
  // dialogs. Tests answer them from a script.
  struct MovieEffectDialogs {
    MovieOutputDialogs* movieOutput = nullptr;
    CustomFxGroupDialogs* groups = nullptr;
    EffectSequenceDialog* sequence = nullptr;
    std::function<void(CMovieStatsDlg&)> showStats;  // empty: run it modally
  };
  void SetMovieEffectDialogs(MovieEffectDialogs dialogs) { movieEffectDialogs_ = std::move(dialogs); }
  // Called with each render window as its job starts (tests watch and stop
  // the jobs through it).
  void SetRenderWindowWatcher(std::function<void(CCompileDlg&)> watcher) { renderWindowWatcher_ = std::move(watcher); }
  // Make Movie of the active view's document by a command id of
  // kMakeMovieCommands; -1 without a view or for another id.
  int OnMakeMovie(std::int32_t commandId);
  int OnRenderSegments(SegmentRenderKind kind);
  // What Make Movie and segment rendering of a view are given.
  EditorMovieSetup MovieSetupFor(CTLEView& view, EditorMovieOutputDialogs& fileDialogs);
  // The effect commands by id (the slots, the group commands, the effect
  // sequence commands, the statistics); false when disabled.
  bool IsEffectCommandEnabled(std::int32_t commandId) const;
  bool RunEffectCommand(std::int32_t commandId);
  QMenu* EffectsMenu() const { return effectsMenu_; }
  // Lists the registered custom transition groups again.
  void RebuildCustomFxMenu();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void createMenus();
  void createPreviewMenu();
  void createMovieMenus();
  // The effect commands of the view's pop-ups: the effect sequence of a
  // video clip on the clip pop-up; the custom transition groups and the
  // effect sequence of the selected transition (null: none) on the
  // transition track's pop-up.
  void AddEffectPopupItems(QMenu& menu, bool onTransitionTrack, const TLEvent* clip);
  void ApplyFxSlot(CTLEView& view, int slot);
  void EditEffectSequence(CTLEView& view, bool transition);
  void ShowLastMovieStatistics();
  PreviewWindowLink* PreviewLink() const;
  // The view's previews run their sound jobs in the render window and show
  // clip tips in the main window's tip window; its refused board previews
  // are told in the status bar.
  void ConnectViewPreviews(CTLEView& view);
  // Says in the status bar why a board preview played nothing.
  void ShowBoardPreviewRefused(CTLEView& view, bool preview);
  int RunPreviewJob(CTLEView& view, const RenderJob& job);
  CTestFrame* AddFrame(std::shared_ptr<ViewedDocument> document);
  void ShowPosition(std::int32_t ms);

  std::unique_ptr<FileDocumentDialogs> fileDialogs_;
  DocumentDialogs* dialogs_ = nullptr;
  ApplicationState& app_;
  Profile& profile_;
  QMdiArea* mdiArea_ = nullptr;
  QLabel* freeMemoryLabel_ = nullptr;
  QTimer* idleTimer_ = nullptr;
  QTimer* autoSaveTimer_ = nullptr;
  int untitledCount_ = 0;
  CPreviewWnd* previewWindow_ = nullptr;
  CTipWnd* tipWindow_ = nullptr;  // shared by the timeline views
  MovieEffectDialogs movieEffectDialogs_;
  std::function<void(CCompileDlg&)> renderWindowWatcher_;
  QMenu* effectsMenu_ = nullptr;
  QMenu* customFxMenu_ = nullptr;
  CutClipboard cutClipboard_;  // shared by the views' Cut and Paste
  PreferencesDialogs* preferencesDialogs_ = nullptr;
};

// "Free Memory:%luK": the free memory in thousands of bytes.
QString FormatFreeMemory(unsigned long long bytes);

}  // namespace sprocket
