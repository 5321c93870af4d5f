// The timeline file reader on any text, then the render lists of the
// timeline it loaded at a few times.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "timeline/document/document.h"
#include "timeline/document/render_list.h"
#include "timeline/tlefile/timeline_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sprocket;
  CTestDoc doc;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!ParseTimelineFile(text, "/nonexistent/sprocket-fuzz", doc)) return 0;
  const TLEvent* head = doc.Head();
  for (double t : {0.0, doc.duration * 0.5, doc.duration - 1.0}) {
    RenderList list = BuildRenderList(t, t, head, 0, 0, 0, 0);
    FreeRenderList(list);
  }
  std::string written;
  FormatTimelineFile(doc, "/nonexistent/sprocket-fuzz", &written);
  return 0;
}
