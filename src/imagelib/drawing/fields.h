#pragma once
// Moving the lines of interlaced fields between pictures.
//
// Every operation takes the addresses of locked packed 24-bit DIB blocks
// (what GlobalLock gave), not handles. Lines count in memory order: line 0 is
// the bottom row. A line is copied whole, stride bytes, row tail included.
// Pictures whose sizes disagree are handled safely: only lines and bytes
// that both pictures hold are copied.

#include <cstdint>

namespace sprocket {

// Field merge modes: which lines of the source go to which of the destination.
enum MergeFieldMode : int {
  kMergeOddToOdd = 0,    // source 1, 3, 5 ... -> destination 1, 3, 5 ...
  kMergeEvenToEven = 1,  // source 0, 2, 4 ... -> destination 0, 2, 4 ...
  kMergeOddToEven = 2,   // source 1, 3, 5 ... -> destination 0, 2, 4 ...
  kMergeEvenToOdd = 3,   // source 0, 2, 4 ... -> destination 1, 3, 5 ...
  kMergeWhole = 4,       // the whole picture, header included
};

// Copies every second line of the source into every second line of the
// destination by the mode; an unknown mode acts as kMergeEvenToEven. With h
// the destination height, ceil(h / 2) lines are copied when both pictures
// start at line 0, floor(h / 2) otherwise. kMergeWhole copies header and
// pixels in place when both pictures have the same size, and only the rows
// and row bytes they share (the destination's header kept) when not; the
// destination block never moves.
void MergeField(std::uint8_t* destination, const std::uint8_t* source, int mode);

// Copies source lines 0, 2, 4 ... (flag nonzero; ceil(h / 2) lines) or
// 1, 3, 5 ... (flag 0; floor(h / 2) lines) into consecutive lines of a
// half-height destination from line 0; h is the source height.
void ExtractField(std::uint8_t* destination, const std::uint8_t* source, int flag);

// Writes each even source line i to lines i and i + 1 of `first` and each odd
// line i to lines i - 1 and i of `second`; all three have the source's size.
// With an odd height the last even line is written once.
void SplitFieldsDoubled(std::uint8_t* first, std::uint8_t* second, const std::uint8_t* source);

// Rebuilds a picture from two line-doubled ones: even destination lines i
// take line i of `first`, odd lines i take line i - 1 of `second`.
void InterleaveFields(std::uint8_t* destination, const std::uint8_t* first, const std::uint8_t* second);

}  // namespace sprocket
