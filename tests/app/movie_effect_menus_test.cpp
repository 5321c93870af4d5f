// The Movie and Effects menus of the real main window over a real view:
// which items the selection enables, a custom group slot applied and undone
// through Edit > Undo, the clip pop-up's effect items, Make Movie AVI
// writing the movie sprocket-render makes of the same timeline, and segment
// rendering.

#include <gtest/gtest.h>

#include <QMenu>

#include <QCoreApplication>
#include <QImage>
#include <QMenuBar>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>

#include "app/main_frame.h"
#include "app/movie_stats_dialog.h"
#include "effects/custom_fx_commands.h"
#include "effects/custom_fx_group.h"
#include "effects/custom_fx_slots.h"
#include "effects/effect_sequence_edit.h"
#include "libs/effectcatalog/effect_ids.h"
#include "outside_tools.h"
#include "platform/message_pump.h"
#include "platform/settings/settings_keys.h"
#include "platform/settings_store.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/document/event_edits.h"
#include "timeline/records/timeline_builder.h"
#include "timeline/tlefile/timeline_file.h"
#include "tleview/tle_view.h"
#include "tleview/view_commands.h"

namespace sprocket {
namespace {

using testing::TempDir;

QString Plain(QString text) { return text.remove('&').section('\t', 0, 0); }

QMenu* TopMenu(CMainFrame& frame, const QString& title) {
  for (QAction* action : frame.menuBar()->actions()) {
    if (action->menu() != nullptr && Plain(action->text()) == title) return action->menu();
  }
  return nullptr;
}

// The item of a menu or of its submenus, with the rules applied as when it opens.
QAction* Item(QMenu* menu, const QString& caption) {
  if (menu == nullptr) return nullptr;
  emit menu->aboutToShow();
  for (QAction* action : menu->actions()) {
    if (Plain(action->text()) == caption) return action;
    if (QAction* inner = action->menu() != nullptr ? Item(action->menu(), caption) : nullptr) return inner;
  }
  return nullptr;
}

FilterList OneFilter(std::int32_t id, std::int32_t firstValue) {
  FilterList list(1);
  InitFilter(list.front());
  list.front().id = id;
  TLFilterParam param;
  param.values[0] = firstValue;
  param.enable = 1;
  list.front().params.push_back(param);
  return list;
}

// The group dialog of the script: New writes a group of two wipes and
// registers it, as the real dialog does on OK.
class ScriptedGroupDialogs : public CustomFxGroupDialogs {
public:
  ScriptedGroupDialogs(Profile& profile, std::filesystem::path file) : profile_(profile), file_(std::move(file)) {}
  std::optional<std::string> OpenFile(const std::string&, const std::string&) override { return std::nullopt; }
  void RunGroupDialog(const std::optional<std::string>&) override {
    const CustomFxGroup group{"Wipes",
                              {OneFilter(effect_id::kWipeLeftToRight, 10), OneFilter(effect_id::kIrisCircleOut, 20)}};
    EXPECT_TRUE(WriteCustomFxGroup(file_, group, nullptr));
    EXPECT_GT(CustomFxRegistry(profile_).Register(file_.string(), group.title), 0);
  }
  void RunDeleteDialog() override { ADD_FAILURE() << "no delete expected"; }

private:
  Profile& profile_;
  std::filesystem::path file_;
};

// The effect sequence dialog of the script: OK with a given list, or Cancel.
class ScriptedSequenceDialog : public EffectSequenceDialog {
public:
  std::optional<FilterList> answer;
  int runs = 0;
  std::optional<FilterList> Run(const EffectSequenceRequest&) override {
    ++runs;
    return answer;
  }
};

// Clips on V1 and V2 and a cross dissolve between them on FX, at 25 fps.
struct MenuFixture {
  TempDir dir;
  testing::ScriptedPrompts prompts;  // an unexpected message fails the test
  Profile profile{dir / "RODUVER.INI"};
  ApplicationState app;
  CMainFrame frame{nullptr, &app, &profile};
  ScriptedGroupDialogs groups{profile, dir / "wipes.fxc"};
  ScriptedSequenceDialog sequence;
  CTLEView* view = nullptr;
  TLEvent* clip = nullptr;
  TLEvent* transition = nullptr;

  MenuFixture() {
    frame.SetMovieEffectDialogs({nullptr, &groups, &sequence, {}});
    frame.OnFileNew();
    view = frame.ActiveView();
    CTestDoc& doc = view->GetDocument();
    doc.rate = 2500;
    doc.Head()->rate = 2500;
    clip = InsertClip(doc.Head(), 1, 0, 3000);
    InsertClip(doc.Head(), 3, 500, 4000);
    TLEventFields fields;
    fields.transitionId = effect_id::kCrossDissolve;
    fields.filters = OneFilter(effect_id::kCrossDissolve, 40);
    transition = InsertClip(doc.Head(), 2, 1000, 2000, fields);
    doc.SplitSegmentsAtClips();
  }
  void Select(TLEvent* event) {
    view->GetDocument().ClearSelection();
    if (event != nullptr) view->GetDocument().AddSelection(event);
  }
  std::string TimelineText() const {
    std::string text;
    EXPECT_TRUE(FormatTimelineFile(view->GetDocument(), dir.path(), &text));
    return text;
  }
};

TEST(MovieEffectMenus, EveryTopMenuHasAnAltKeyOfItsOwn) {
  MenuFixture f;
  std::set<QChar> keys;
  for (QAction* action : f.frame.menuBar()->actions()) {
    const QString text = action->text();
    const int amp = text.indexOf('&');
    ASSERT_GE(amp, 0) << text.toStdString();
    EXPECT_TRUE(keys.insert(text.at(amp + 1).toLower()).second) << text.toStdString() << " shares its key";
  }
}

TEST(MovieEffectMenus, ItemsFollowTheSelectionTheSlotFilesAndTheLastMovie) {
  MenuFixture f;
  QMenu* effects = TopMenu(f.frame, "Effects");
  QMenu* movie = TopMenu(f.frame, "Movie");
  ASSERT_NE(effects, nullptr);
  ASSERT_NE(movie, nullptr);
  ASSERT_EQ(Item(effects, "Wipes"), nullptr);  // nothing registered yet
  Item(effects, "New")->trigger();             // registers "Wipes" and lists it
  ASSERT_NE(Item(effects, "Wipes"), nullptr);

  enum Selection { kNone, kClip, kTransition };
  struct Case {
    const char* name;
    Selection selection;
    bool slotFileThere;
    const char* lastMovie;
    bool slot, onClip, onTransition, newGroup, statistics;
  };
  const Case cases[] = {
      {"nothing selected", kNone, true, "", false, false, false, true, false},
      {"a video clip", kClip, true, "", false, true, false, true, false},
      {"a transition", kTransition, true, "", true, false, true, true, false},
      {"a transition, its group file gone", kTransition, false, "", false, false, true, true, false},
      {"a movie was made", kNone, true, "/tmp/MOVIE.AVI", false, false, false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    f.Select(c.selection == kClip ? f.clip : c.selection == kTransition ? f.transition : nullptr);
    if (c.slotFileThere) {
      ScriptedGroupDialogs(f.profile, f.dir / "wipes.fxc").RunGroupDialog(std::nullopt);
    } else {
      std::filesystem::remove(f.dir / "wipes.fxc");
    }
    f.profile.WriteProfileString(settings::kLastMakeMovie, "FileName", c.lastMovie);
    EXPECT_EQ(Item(effects, "Wipes")->isEnabled(), c.slot);
    EXPECT_EQ(Item(effects, "DIR Azarivev on Clip...")->isEnabled(), c.onClip);
    EXPECT_EQ(Item(effects, "DIR azarivev...")->isEnabled(), c.onTransition);
    EXPECT_EQ(Item(effects, "New")->isEnabled(), c.newGroup);
    EXPECT_EQ(Item(movie, "Last Compiled Movie Statistics...")->isEnabled(), c.statistics);
    EXPECT_TRUE(Item(movie, "Make Movie AVI...")->isEnabled());
  }
}

TEST(MovieEffectMenus, ASlotAppliesToTheTransitionAndEditUndoRestoresIt) {
  MenuFixture f;
  QMenu* effects = TopMenu(f.frame, "Effects");
  Item(effects, "New")->trigger();
  f.Select(f.transition);
  const std::string before = f.TimelineText();
  Item(effects, "Wipes")->trigger();
  EXPECT_EQ(f.transition->transitionId, effect_id::kWipeLeftToRight);
  EXPECT_TRUE(f.view->GetDocument().IsModified());
  EXPECT_NE(f.TimelineText(), before);
  QAction* undo = Item(TopMenu(f.frame, "Edit"), "Undo change transition");
  ASSERT_NE(undo, nullptr);
  ASSERT_TRUE(undo->isEnabled());
  undo->trigger();
  EXPECT_EQ(f.TimelineText(), before);
}

TEST(MovieEffectMenus, TheClipPopupOffersTheEffectCommandsOfTheSelectedClip) {
  MenuFixture f;
  Item(TopMenu(f.frame, "Effects"), "New")->trigger();
  struct Case {
    const char* name;
    bool transition;
    const char* item;
    std::optional<FilterList> answer;
    bool changes;
  };
  const Case cases[] = {
      {"a slot on the transition", true, "Wipes", std::nullopt, true},
      {"the sequencer on the transition, cancelled", true, "DIR azarivev...", std::nullopt, false},
      {"the sequencer on the clip, cancelled", false, "DIR Azarivev...", std::nullopt, false},
      {"the sequencer on the clip, OK", false, "DIR Azarivev...", OneFilter(effect_id::kCrossDissolve, 5), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    f.Select(c.transition ? f.transition : f.clip);
    f.sequence.answer = c.answer;
    QMenu popup;
    ASSERT_TRUE(ViewCommands::Of(*f.view).BuildClipPopup(popup));
    EXPECT_EQ(Item(&popup, "Wipes") != nullptr, c.transition);
    QAction* item = Item(&popup, c.item);
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->isEnabled());
    const std::string before = f.TimelineText();
    item->trigger();
    EXPECT_EQ(f.TimelineText() != before, c.changes);
  }
  EXPECT_EQ(f.sequence.runs, 3);
}

TEST(MovieEffectMenus, TheTransitionTracksPopupOffersTheGroupsByTheSelectedTransition) {
  MenuFixture f;
  Item(TopMenu(f.frame, "Effects"), "New")->trigger();  // registers the group "Wipes"
  const CTestDoc& doc = f.view->GetDocument();
  struct Case {
    const char* name;
    std::int32_t time;  // of the right click on the transition track
    bool transition;    // it selects the transition
  };
  for (const Case& c : {Case{"on the transition", 1500, true}, Case{"on the empty track", 10000, false}}) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<QMenu> popup = ViewCommands::Of(*f.view).PopupAt({doc.TimeToX(c.time), f.view->TrackTop(2) + 5});
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(f.view->GetDocument().SelectionCount(), c.transition ? 1u : 0u);
    std::vector<QString> top;
    for (QAction* action : popup->actions())
      if (!action->isSeparator()) top.push_back(Plain(action->text()));
    EXPECT_EQ(top, (std::vector<QString>{"Custom Transition Group", "Edit Custom Transition Group", "DIR azarivev...",
                                         "Delete"}));
    struct Expected {
      const char* caption;
      bool enabled;
    };
    for (const Expected& e : {Expected{"Wipes", c.transition}, Expected{"New", true}, Expected{"Edit", true},
                              Expected{"DIR azarivev...", c.transition}}) {
      QAction* item = Item(popup.get(), e.caption);
      ASSERT_NE(item, nullptr) << e.caption;
      EXPECT_EQ(item->isEnabled(), e.enabled) << e.caption;
    }
    QMenu* groups = Item(popup.get(), "Edit Custom Transition Group")->menu();
    ASSERT_NE(Item(groups, "Delete"), nullptr);
    EXPECT_TRUE(Item(groups, "Delete")->isEnabled());
    EXPECT_EQ(popup->actions().back()->isEnabled(), c.transition) << "Delete of the transition";
  }
}

// The demo timeline in the real main window, its movies made with small
// settings into a test folder; the movie output dialog answers `movie`.
struct DemoInTheEditor {
  static constexpr const char* kSettings =
      "[Movie]\nVResWidth=160\nVResHeight=120\nVCompressionType=MJPG\n"
      "[Preview]\nPrev_VResWidth=80\nPrev_VResHeight=60\nPrev_VCompressionType=MJPG\n";
  TempDir dir;
  testing::ScriptedPrompts prompts;  // an unexpected message fails the test
  std::string demo = std::string(SPROCKET_SOURCE_DIR) + "/examples/demo.tle";
  std::string movie = (dir / "menu.avi").string();
  FixedMovieOutput output{movie};
  std::unique_ptr<CMainFrame> frame;

  explicit DemoInTheEditor(TimeRange range) {
    SetConfigDir(dir / "config");
    dir.Write("config/RODUVER.INI", kSettings);
    LoadApplicationSettings(TheApp(), AppProfile());
    frame = std::make_unique<CMainFrame>(nullptr, &TheApp(), &AppProfile());
    frame->SetMovieEffectDialogs({&output, nullptr, nullptr, {}});
    EXPECT_NE(frame->OpenTimeline(demo), nullptr);
    CTestDoc& doc = Doc();
    doc.movieRange = range;
    doc.previewRange = range;
    doc.savePrompt = 0;
    std::filesystem::create_directories(dir / "tmp");
    doc.tempDir = (dir / "tmp").string() + "/";
  }
  CTLEView& View() const { return *frame->ActiveView(); }
  CTestDoc& Doc() const { return View().GetDocument(); }
};

TEST(MovieEffectMenus, MakeMovieAviFromTheMenuMakesTheMovieSprocketRenderMakes) {
  if (!testing::ToolAvailable("ffmpeg")) GTEST_SKIP() << "ffmpeg is needed";
  DemoInTheEditor editor({0, 1000});
  ASSERT_NE(editor.frame->ActiveView(), nullptr);
  CMainFrame& frame = *editor.frame;
  CTestDoc& doc = editor.Doc();
  const TempDir& dir = editor.dir;
  const std::string& movie = editor.movie;
  const std::string& demo = editor.demo;
  FixedMovieOutput& output = editor.output;

  QMenu* movieMenu = TopMenu(frame, "Movie");
  ASSERT_EQ(Item(movieMenu, "Last Compiled Movie Statistics...")->isEnabled(), false);
  Item(movieMenu, "Make Movie AVI...")->trigger();
  ASSERT_TRUE(std::filesystem::exists(movie));
  ASSERT_TRUE(Item(movieMenu, "Last Compiled Movie Statistics...")->isEnabled());
  std::vector<std::pair<QString, QString>> shown;
  frame.SetMovieEffectDialogs({&output, nullptr, nullptr, [&](CMovieStatsDlg& d) { shown = d.Lines(); }});
  Item(movieMenu, "Last Compiled Movie Statistics...")->trigger();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front().second.toLower().toStdString(), QString::fromStdString(movie).toLower().toStdString());
  const auto frames =
      std::find_if(shown.begin(), shown.end(), [](const auto& line) { return line.first == "Frames:"; });
  ASSERT_NE(frames, shown.end());
  EXPECT_EQ(frames->second, "30");  // one second at 29.97 fps

  const std::string oracle = (dir / "oracle.avi").string();
  dir.Write("oracle-config/RODUVER.INI", DemoInTheEditor::kSettings);
  const auto quoted = [](const std::string& text) { return "'" + text + "'"; };
  ASSERT_TRUE(testing::RunCommand(std::string(SPROCKET_RENDER_EXE) + " " + quoted(demo) + " --out " + quoted(oracle) +
                                  " --range 0,1000 --config " + quoted((dir / "oracle-config").string()) +
                                  " >/dev/null 2>&1")
                  .has_value());
  const auto md5 = [&](const std::string& path) {
    return testing::RunCommand("ffmpeg -nostdin -v error -i " + quoted(path) + " -map 0:v -f md5 -").value_or("none");
  };
  EXPECT_NE(md5(movie), "none");
  EXPECT_EQ(md5(movie), md5(oracle));

  // Segment rendering from the same menu gives the segments of the range their files.
  const auto rendered = [&doc] {
    int count = 0;
    for (const TLFilter& segment : doc.Head()->segments) count += std::filesystem::exists(segment.fileName) ? 1 : 0;
    return count;
  };
  ASSERT_EQ(rendered(), 0);
  doc.movieRange = {0, 5000};
  doc.previewRange = {0, 5000};
  Item(movieMenu, "Render Segments in Range")->trigger();
  EXPECT_GT(rendered(), 0);
  EXPECT_TRUE(editor.prompts.AllShown());
}

// What the view showed of the render's position line between frames.
struct LineWatch {
  int samples = 0;
  int inverted = 0;  // samples whose column was the inverse of the view before the render
  std::set<std::int32_t> xs;
};

// Every pixel of `now` from `top` down equals `before`, except those of the
// column `line` above `lineBottom`, which are their inverse.
bool ColumnsMatch(const QImage& before, const QImage& now, int top, std::optional<int> line, int lineBottom = 0) {
  for (int y = top; y < before.height(); ++y) {
    for (int x = 0; x < before.width(); ++x) {
      const bool inverted = line == x && y < lineBottom;
      const QRgb expected = inverted ? ~before.pixel(x, y) : before.pixel(x, y);
      if ((now.pixel(x, y) & 0xffffffu) != (expected & 0xffffffu)) return false;
    }
  }
  return true;
}

TEST(MovieEffectMenus, TheRenderMovesThePositionLineOverTheRulerAndTracksAndTakesItAway) {
  struct Case {
    const char* item;
    TimeRange range;
    bool rendersSegments;
  };
  const Case cases[] = {{"Make Movie AVI...", {500, 2500}, false}, {"Render Segments in Range", {0, 5000}, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    DemoInTheEditor editor(c.range);
    ASSERT_NE(editor.frame->ActiveView(), nullptr);
    CMainFrame& frame = *editor.frame;
    frame.resize(1000, 600);
    frame.show();
    QCoreApplication::processEvents();
    CTLEView& view = editor.View();
    CTestDoc& doc = editor.Doc();
    doc.currentPosition = 4000;
    view.InvalidateAll();
    view.UpdateNow();
    const QImage before = view.BackBuffer().Image().copy();
    const std::int32_t positionX = view.lastPositionX;
    // The middle of each segment's box in the ruler's top band.
    const int bandY = doc.margin + doc.bandHeight / 2;
    const auto bandColours = [&](const QImage& image) {
      std::vector<QRgb> colours;
      for (const TLFilter& segment : doc.Head()->segments) {
        colours.push_back(image.pixel(doc.TimeToX((segment.start + segment.end) / 2), bandY) & 0xffffffu);
      }
      return colours;
    };
    const std::vector<QRgb> bandBefore = bandColours(before);
    const int rulerTop = doc.margin + 3 * doc.bandHeight;
    const int tracksBottom = doc.TrackAreaTop() + view.GetTotalTrackHeight();
    ASSERT_LT(tracksBottom, view.ClientRect().bottom);

    LineWatch watch;
    SetPumpHook([&] {
      const std::optional<std::int32_t> x = view.RenderPositionLineX();
      if (!x) return;
      ++watch.samples;
      watch.xs.insert(*x);
      if (ColumnsMatch(before, view.BackBuffer().Image(), rulerTop, *x, tracksBottom)) ++watch.inverted;
    });
    Item(TopMenu(frame, "Movie"), c.item)->trigger();
    SetPumpHook({});

    // The line stood at the rendered times, inside the range, and went along it.
    ASSERT_GT(watch.samples, 5);
    EXPECT_EQ(watch.inverted, watch.samples);
    EXPECT_GE(*watch.xs.begin(), doc.TimeToX(c.range.start));
    EXPECT_LE(*watch.xs.rbegin(), doc.TimeToX(c.range.end));
    EXPECT_GT(*watch.xs.rbegin() - *watch.xs.begin(), (doc.TimeToX(c.range.end) - doc.TimeToX(c.range.start)) / 2);
    // Afterwards nothing of it is left and the view's own position is as it was.
    EXPECT_FALSE(view.RenderPositionLineX().has_value());
    EXPECT_EQ(doc.currentPosition, 4000);
    view.UpdateNow();
    EXPECT_EQ(view.lastPositionX, positionX);
    EXPECT_TRUE(ColumnsMatch(before, view.BackBuffer().Image(), rulerTop, std::nullopt));
    // The band shows the segments rendered now: white before, green after.
    const std::vector<QRgb> bandAfter = bandColours(view.BackBuffer().Image());
    ASSERT_EQ(bandAfter.size(), bandBefore.size());
    for (std::size_t i = 0; i < bandAfter.size(); ++i) {
      EXPECT_EQ(bandBefore[i], 0xffffffu) << "segment " << i;
      const bool rendered = std::filesystem::exists(doc.Head()->segments[i].fileName);
      EXPECT_EQ(rendered, c.rendersSegments) << "segment " << i;
      EXPECT_EQ(bandAfter[i] == 0x00c800u || bandAfter[i] == 0x00fa00u, rendered) << "segment " << i;
    }
    EXPECT_TRUE(editor.prompts.AllShown());
  }
}

}  // namespace
}  // namespace sprocket
