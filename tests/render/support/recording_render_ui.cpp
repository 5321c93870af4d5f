#include "recording_render_ui.h"

#include "imagelib/dib_header.h"
#include "platform/message_pump.h"

namespace sprocket::testing {

void RecordingRenderUi::ShowPicture(const std::uint8_t* dib) {
  const DibInfoHeader header = ReadDibHeader(dib);
  pictures.push_back(Shown{header.biWidth, header.biHeight, header.biBitCount});
}

void RecordingRenderUi::ShowFrameCount(std::int64_t done, std::int64_t total) {
  framesDone = done;
  framesTotal = total;
  if (stopAfterFrames > 0 && done >= stopAfterFrames) RequestAbort();
}

void RecordingRenderUi::Wait(int ms) {
  waits.push_back(ms);
  if (stopAtWait > 0 && static_cast<int>(waits.size()) >= stopAtWait) RequestAbort();
}

}  // namespace sprocket::testing
