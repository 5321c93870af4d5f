#pragma once
// Temporary changes that renders make for their duration and undo on every
// way out: a value set for a while, the document's output range, the
// clip media library's render state and an event list put in place of the
// document's own.

#include <cstdint>
#include <utility>

#include "libs/clipmedia/clip_media_lib.h"
#include "timeline/document/document.h"

namespace sprocket {

// Sets a variable and puts its old value back at the end of the scope (or
// at Restore()). A scope made empty changes nothing until Set().
template <typename T>
class ValueOverride {
public:
  ValueOverride() = default;
  ValueOverride(T& variable, T value) { Set(variable, std::move(value)); }
  ~ValueOverride() { Restore(); }
  ValueOverride(const ValueOverride&) = delete;
  ValueOverride& operator=(const ValueOverride&) = delete;

  void Set(T& variable, T value) {
    Restore();
    variable_ = &variable;
    saved_ = variable;
    variable = std::move(value);
  }
  void Restore() {
    if (variable_ != nullptr) *variable_ = saved_;
    variable_ = nullptr;
  }

private:
  T* variable_ = nullptr;
  T saved_{};
};

// The document's movie range (or, for a preview, its preview range) set to
// [start, end] for the scope.
class RangeOverride {
public:
  RangeOverride(CTestDoc& doc, bool preview, std::int32_t start, std::int32_t end)
      : override_(preview ? doc.previewRange : doc.movieRange, TimeRange{start, end}) {}

private:
  ValueOverride<TimeRange> override_;
};

// Keeps the clip media library's clips open for a render (its state 0) and
// closes them at the end of the scope (state 1).
class ClipRenderScope {
public:
  ClipRenderScope() { SetClipRenderState(0); }
  ~ClipRenderScope() { SetClipRenderState(1); }
  ClipRenderScope(const ClipRenderScope&) = delete;
  ClipRenderScope& operator=(const ClipRenderScope&) = delete;
};

// Puts an event list in place of the document's own for the scope; the
// document's own list waits in its saved slot and comes back at the end.
class InstalledTimeline {
public:
  InstalledTimeline() = default;
  ~InstalledTimeline() { Restore(); }
  InstalledTimeline(const InstalledTimeline&) = delete;
  InstalledTimeline& operator=(const InstalledTimeline&) = delete;

  void Install(CTestDoc& doc, EventListSlot list) {
    Restore();
    doc_ = &doc;
    doc.savedHead = std::move(doc.head);
    doc.head = std::move(list);
  }
  void Restore() {
    if (doc_ == nullptr) return;
    FreeEventList(doc_->head);
    doc_->head = std::move(doc_->savedHead);
    doc_ = nullptr;
  }

private:
  CTestDoc* doc_ = nullptr;
};

}  // namespace sprocket
