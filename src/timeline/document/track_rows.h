#pragma once
// The rows a track shows in the timeline view: one for the track itself,
// and extra rows for the audio of video clips or for a second audio
// channel, by the track's type and view status.
//
//   'V' status 0: 1 row; -1, 1, 2: 2 rows; 3: 3 rows.
//   'A' status 3: 2 rows; any other status: 1 row.   'X': 1 row.
//
// The first row is h high (the zoom level's row height); every extra row
// adds h + 1.

#include <cstdint>

#include "timeline/document/document.h"

namespace sprocket {

int TrackRowCount(char trackType, std::int32_t viewStatus);
inline int TrackRowCount(const TLEvent& trackHeader) {
  return TrackRowCount(trackHeader.trackType, trackHeader.viewStatus);
}

// The sum of the heights of every track at the current zoom level.
std::int32_t GetTotalTrackHeight(const CTestDoc& doc);

}  // namespace sprocket
