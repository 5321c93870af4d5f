#pragma once
// A small timeline for the effect edits: clips on V1 (track 1) and V2
// (track 3), a transition on FX (track 2) between them, its settings file
// and the timeline as text for exact comparisons.

#include <filesystem>

#include <gtest/gtest.h>
#include <string>

#include "libs/effectcatalog/effect_ids.h"
#include "platform/settings/profile.h"
#include "temp_dir.h"
#include "timeline/document/document.h"
#include "timeline/document/event_edits.h"
#include "timeline/records/timeline_builder.h"
#include "timeline/tlefile/timeline_file.h"

namespace sprocket::testing {

inline FilterList OneFilter(std::int32_t id, std::int32_t firstValue = 0) {
  FilterList list(1);
  InitFilter(list.front());
  list.front().id = id;
  TLFilterParam param;
  param.values[0] = firstValue;
  param.values[3] = 7;
  param.enable = 1;
  list.front().params.push_back(param);
  return list;
}

struct EffectsFixture {
  TempDir dir;
  Profile profile{dir / "RODUVER.INI"};
  CTestDoc doc;
  TLEvent* clipA = nullptr;
  TLEvent* clipB = nullptr;
  TLEvent* transition = nullptr;

  // The transition spans [transitionIn, transitionOut) ms at 25 fps.
  explicit EffectsFixture(std::int32_t transitionIn = 1000, std::int32_t transitionOut = 2000) {
    doc.rate = 2500;
    doc.Head()->rate = 2500;
    clipA = InsertClip(doc.Head(), 1, 0, 3000);
    clipB = InsertClip(doc.Head(), 3, 500, 4000);
    TLEventFields fields;
    fields.transitionId = effect_id::kCrossDissolve;
    fields.filters = OneFilter(effect_id::kCrossDissolve, 40);
    transition = InsertClip(doc.Head(), 2, transitionIn, transitionOut, fields);
    doc.SplitSegmentsAtClips();
  }

  void Select(TLEvent* clip) {
    doc.ClearSelection();
    doc.AddSelection(clip);
  }

  std::string TimelineText() const {
    std::string text;
    std::string error;
    EXPECT_TRUE(FormatTimelineFile(doc, dir.path(), &text, &error)) << error;
    EXPECT_NE(text.find("\"filters\""), std::string::npos);
    return text;
  }
};

}  // namespace sprocket::testing
