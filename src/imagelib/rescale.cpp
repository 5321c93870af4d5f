#include "imagelib/rescale.h"

#include "imagelib/dib_header.h"
#include "imagelib/rescale_internal.h"

namespace sprocket {
namespace {

using rescale_detail::RescaleJob;

DibResult CheckedRefresh(CDibImage& image) {
  const DibResult valid = image.IsValid();
  if (valid != kDibDone) return valid;
  return image.Refresh();
}

DibResult Rescale(CDibImage destination, CDibImage source, DibRect destinationRect, DibRect sourceRect,
                  RescaleFilter filter, bool plain) {
  DibResult result = CheckedRefresh(destination);
  if (result != kDibDone) return result;
  result = CheckedRefresh(source);
  if (result != kDibDone) return result;
  if (filter < 0 || filter >= kRescaleFilterCount) return kDibBadSize;

  const DibRect d = NormaliseDibRect(destinationRect, destination.GetMaxXY().x, destination.GetMaxXY().y);
  const DibRect s = NormaliseDibRect(sourceRect, source.GetMaxXY().x, source.GetMaxXY().y);
  RescaleJob job;
  job.sw = s.x2 - s.x1 + 1;
  job.sh = s.y2 - s.y1 + 1;
  job.dw = d.x2 - d.x1 + 1;
  job.dh = d.y2 - d.y1 + 1;
  job.filter = filter;

  ScopedPicture temp;
  // The row pass writes every pixel of the temporary picture.
  result = temp.image.CreateForOverwrite(job.dw, job.sh);
  if (result != kDibDone) return result;
  BitsLock sourceBits(source);
  BitsLock destinationBits(destination);
  BitsLock tempBits(temp.image);
  for (const BitsLock* lock : {&sourceBits, &destinationBits, &tempBits}) {
    if (lock->result() != kDibDone) return kDibNoMemory;
  }
  job.source = sourceBits.bits();
  job.sourceStride = source.GetStride();
  job.sourceX = s.x1;
  job.sourceY = s.y1;
  job.temp = tempBits.bits();
  job.tempStride = temp.image.GetStride();
  job.destination = destinationBits.bits();
  job.destinationStride = destination.GetStride();
  job.destinationX = d.x1;
  job.destinationY = d.y1;
  return plain ? rescale_detail::RunPlainPasses(job) : rescale_detail::RunFastPasses(job);
}

}  // namespace

DibResult RescaleFiltered(CDibImage destination, CDibImage source, DibRect destinationRect, DibRect sourceRect,
                          RescaleFilter filter) {
  return Rescale(destination, source, destinationRect, sourceRect, filter, false);
}

DibResult RescaleFilteredPlain(CDibImage destination, CDibImage source, DibRect destinationRect, DibRect sourceRect,
                               RescaleFilter filter) {
  return Rescale(destination, source, destinationRect, sourceRect, filter, true);
}

}  // namespace sprocket
