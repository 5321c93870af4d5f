#include "imagelib/drawing/fields.h"

#include <algorithm>
#include <cstring>

#include "imagelib/dib_header.h"
#include "imagelib/locked_dib_view.h"

namespace sprocket {

namespace {

// Lines start, start + 2, ... below `height`.
std::int32_t FieldLines(std::int32_t height, std::int32_t start) { return (height - start + 1) / 2; }

void CopyLine(const LockedDibView& to, std::int32_t toLine, const LockedDibView& from, std::int32_t fromLine) {
  if (toLine < 0 || toLine >= to.rows || fromLine < 0 || fromLine >= from.rows) return;
  std::memcpy(to.Row(toLine), from.Row(fromLine), static_cast<std::size_t>(std::min(to.stride, from.stride)));
}

// Whole-picture copy that keeps the destination block where it is.
void CopyWholePicture(std::uint8_t* destination, const std::uint8_t* source, const LockedDibView& to,
                      const LockedDibView& from) {
  const DibInfoHeader toHeader = ReadDibHeader(destination);
  const DibInfoHeader fromHeader = ReadDibHeader(source);
  const bool sameSize = toHeader.biSize == fromHeader.biSize && toHeader.biWidth == fromHeader.biWidth &&
                        toHeader.biHeight == fromHeader.biHeight && toHeader.biSizeImage == fromHeader.biSizeImage;
  if (sameSize) {
    std::memmove(destination, source, std::size_t{fromHeader.biSize} + fromHeader.biSizeImage);
    return;
  }
  const std::int32_t rows = std::min(to.rows, from.rows);
  for (std::int32_t line = 0; line < rows; ++line) CopyLine(to, line, from, line);
}

}  // namespace

void MergeField(std::uint8_t* destination, const std::uint8_t* source, int mode) {
  const LockedDibView to = ViewLockedDib(destination);
  const LockedDibView from = ViewLockedDib(source);
  if (!to || !from) return;
  if (mode == kMergeWhole) {
    CopyWholePicture(destination, source, to, from);
    return;
  }
  if (mode < kMergeOddToOdd || mode > kMergeWhole) mode = kMergeEvenToEven;
  const std::int32_t fromStart = (mode == kMergeOddToOdd || mode == kMergeOddToEven) ? 1 : 0;
  const std::int32_t toStart = (mode == kMergeOddToOdd || mode == kMergeEvenToOdd) ? 1 : 0;
  const std::int32_t height = to.rows;
  const std::int32_t count = std::min(FieldLines(height, fromStart), FieldLines(height, toStart));
  for (std::int32_t k = 0; k < count; ++k) CopyLine(to, toStart + 2 * k, from, fromStart + 2 * k);
}

void ExtractField(std::uint8_t* destination, const std::uint8_t* source, int flag) {
  const LockedDibView to = ViewLockedDib(destination);
  const LockedDibView from = ViewLockedDib(source);
  if (!to || !from) return;
  const std::int32_t start = flag != 0 ? 0 : 1;
  const std::int32_t count = FieldLines(from.rows, start);
  for (std::int32_t k = 0; k < count; ++k) CopyLine(to, k, from, start + 2 * k);
}

void SplitFieldsDoubled(std::uint8_t* first, std::uint8_t* second, const std::uint8_t* source) {
  const LockedDibView even = ViewLockedDib(first);
  const LockedDibView odd = ViewLockedDib(second);
  const LockedDibView from = ViewLockedDib(source);
  if (!even || !odd || !from) return;
  for (std::int32_t line = 0; line < from.rows; ++line) {
    if (line % 2 == 0) {
      CopyLine(even, line, from, line);
      if (line + 1 < from.rows) CopyLine(even, line + 1, from, line);
    } else {
      CopyLine(odd, line - 1, from, line);
      CopyLine(odd, line, from, line);
    }
  }
}

void InterleaveFields(std::uint8_t* destination, const std::uint8_t* first, const std::uint8_t* second) {
  const LockedDibView to = ViewLockedDib(destination);
  const LockedDibView even = ViewLockedDib(first);
  const LockedDibView odd = ViewLockedDib(second);
  if (!to || !even || !odd) return;
  for (std::int32_t line = 0; line < to.rows; ++line) {
    if (line % 2 == 0) {
      CopyLine(to, line, even, line);
    } else {
      CopyLine(to, line, odd, line - 1);
    }
  }
}

}  // namespace sprocket
