#pragma once
// What the mouse handlers of the timeline view note while a drag is under
// way, and what the drag feedback reads to draw (and erase) its inverted
// outlines: the dragged clip's rectangle, the sync guides, the trimmed edge,
// the rubber band and the envelope being dragged.

#include <cstdint>

#include "timeline/records/tl_event.h"
#include "timeline/records/volume_envelope.h"

namespace sprocket {

struct ViewDragState {
  ClipRect dragRect;                // the dragged clip's outline
  std::int32_t alternateDrag = 0;   // the drag's second mode (a copy, or a move across tracks)
  std::int32_t cursorCaptured = 0;  // the view holds the mouse
  std::int32_t syncGuides = 0;      // the sync guides are shown while dragging
  ClipRect syncGuideRect;
  std::int32_t previousSyncGuideX = -1;
  TLEvent* trimmedClip = nullptr;
  // Edge trimming: the left and right edge flags of the two kinds of trim,
  // and the edge of an intermediate movie.
  std::int32_t trimLeftA = 0;
  std::int32_t trimRightA = 0;
  std::int32_t trimLeftB = 0;
  std::int32_t trimRightB = 0;
  std::int32_t trimIntermediateEdge = 0;
  ClipRect trimBandRect;
  std::int32_t draggedEdgeX1 = 0;  // the two kept x values of the dragged edge
  std::int32_t draggedEdgeX2 = 0;
  std::int32_t oppositeEdgeX = 0;
  ClipRect rubberBandRect;
  std::int32_t envelopeChannel = 0;  // 0 volume, 1 balance
  ClipRect envelopeClampRect;
  // The envelope points shown inverted while a point is dragged (a copy of
  // the clip's list being edited); empty: the clip's own list.
  VolumeEnvelope envelopePoints;
};

}  // namespace sprocket
