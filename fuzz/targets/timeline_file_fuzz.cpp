// The timeline file reader on any text, then the render lists of the
// timeline it loaded at a few times, and the writer: what it writes of the
// timeline reads back to the same text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
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
  // What is written reads back to the same document: writing it again
  // gives the same text.
  std::string written;
  if (!FormatTimelineFile(doc, "/nonexistent/sprocket-fuzz", &written)) return 0;
  CTestDoc again;
  std::string rewritten;
  if (!ParseTimelineFile(written, "/nonexistent/sprocket-fuzz", again) ||
      !FormatTimelineFile(again, "/nonexistent/sprocket-fuzz", &rewritten) || rewritten != written) {
    std::abort();
  }
  return 0;
}
