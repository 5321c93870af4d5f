#include "render/output/render_pump.h"

#include "platform/message_pump.h"

namespace sprocket {

int PumpRenderMessages(const PumpControl* control) {
  std::int32_t* abortFlag = control != nullptr ? control->abortFlag : nullptr;
  PumpMessages();
  if (IsAbortRequested()) {
    if (abortFlag != nullptr) *abortFlag = 1;
    return 1;
  }
  return abortFlag != nullptr ? *abortFlag : 0;
}

std::function<int()> MakeRenderPump(const PumpControl* control) {
  return [control] { return PumpRenderMessages(control); };
}

}  // namespace sprocket
