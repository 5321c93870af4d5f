#include "render/compose/sample_copy.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "imagelib/dib_header.h"
#include "platform/application_state.h"
#include "platform/file_paths.h"
#include "platform/media/avi_index.h"
#include "render/sources/render_state.h"
#include "render/sources/track_list.h"

namespace sprocket {

namespace {

constexpr const char* kStreamOpenFailed = "Fail to open video stream of source avi file!";

enum class CopyRule { kAsAsked, kOnward };

// The frame to serve after the bookkeeping of a request.
std::int32_t ServeFrame(RenderState& state, const std::string& name, std::int32_t frame, std::int32_t kind,
                        CopyRule rule) {
  if (!state.lastSourceFile || !state.IsLastSourceFile(name)) {
    state.StoreLastSourceFile(name);
    state.keyFrameSeen = false;
    state.outputKeyFrame = true;
    state.lastFrameCopied = frame;
    return frame;
  }
  if (frame == 0) {
    state.outputKeyFrame = true;
    state.keyFrameSeen = false;
    state.lastFrameCopied = 0;
    return 0;
  }
  state.outputKeyFrame = false;
  std::int32_t& last = state.lastFrameCopied;
  if (rule == CopyRule::kOnward || (std::abs(last - frame) <= 1 && kind != kPassThroughExact)) {
    ++last;
  } else {
    last = frame;
  }
  if (!state.keyFrameSeen) last = frame;
  return TheApp().exactFrame != 0 ? frame : last;
}

// The copy does not happen: the frame is rendered, and copying starts again
// at the next key frame of the source.
DibPicture RenderInstead(RenderState& state, std::int32_t frame) {
  state.lastFrameCopied = frame;
  state.outputKeyFrame = true;
  state.keyFrameSeen = false;
  return {};
}

DibPicture CopySample(std::int32_t frame, const std::string& name, TrackList* node, std::int32_t kind, CopyRule rule) {
  if (name.empty() || !HasExtension(name, ".avi")) return {};
  RenderState& state = TheRenderState();
  const bool continuing = state.keyFrameSeen && state.IsLastSourceFile(name);
  const std::int32_t previous = state.lastFrameCopied;
  std::int32_t serve = ServeFrame(state, name, frame, kind, rule);

  std::unique_ptr<AviFileIndex> ownIndex;
  AviFileIndex* index = nullptr;
  if (node != nullptr && node->IsAviSource() && node->Path() == name) index = node->RawVideoStream();
  if (index == nullptr) {
    ownIndex = std::make_unique<AviFileIndex>();
    if (ownIndex->Open(name)) index = ownIndex.get();
  }
  const int stream = index != nullptr ? index->FindStream(kStreamTypeVideo) : -1;
  if (stream < 0) {
    ShowRenderMessageOnce(kStreamOpenFailed, name);
    return RenderInstead(state, serve);
  }

  const std::int64_t length = index->SampleCount(stream);
  if (length <= 0) return RenderInstead(state, serve);
  if (serve >= length) {
    if (rule == CopyRule::kOnward) {
      state.lastSourceFile.reset();
      state.outputKeyFrame = true;
      return {};
    }
    serve = static_cast<std::int32_t>(length - 1);
  }
  const bool key = index->FindKeySample(stream, serve) == serve;
  // A delta sample only decodes right after the sample before it: one that
  // would follow anything else (the start, a jump, a repeat) is rendered.
  if (!key && !(continuing && serve == previous + 1)) return RenderInstead(state, serve);
  if (key) state.outputKeyFrame = true;
  state.keyFrameSeen = true;
  state.lastFrameCopied = serve;

  const std::vector<std::uint8_t>& format = index->Stream(stream).format;
  std::vector<std::uint8_t> sample;
  if (format.size() < sizeof(DibInfoHeader) || !index->ReadSample(stream, serve, &sample)) {
    return RenderInstead(state, serve);
  }
  DibPicture block = DibPicture::Allocate(format.size() + sample.size());
  if (!block) return RenderInstead(state, serve);
  std::memcpy(block.data(), format.data(), format.size());
  if (!sample.empty()) std::memcpy(block.data() + format.size(), sample.data(), sample.size());
  DibInfoHeader header = ReadDibHeader(block.data());
  header.biSizeImage = static_cast<std::uint32_t>(sample.size());
  WriteDibHeader(block.data(), header);
  return block;
}

}  // namespace

DibPicture ReadRawVideoSample(std::int32_t frame, const std::string& name, TrackList* node,
                              std::int32_t passThroughKind) {
  return CopySample(frame, name, node, passThroughKind, CopyRule::kAsAsked);
}

DibPicture ReadRawVideoSampleNext(std::int32_t frame, const std::string& name, TrackList* node) {
  return CopySample(frame, name, node, kPassThroughCopy, CopyRule::kOnward);
}

RawSampleParts SplitRawSample(const DibPicture& block) {
  if (!block || block.size() < sizeof(DibInfoHeader)) return {};
  const DibInfoHeader header = block.Header();
  if (header.biSizeImage > block.size() - sizeof(DibInfoHeader)) return {};
  const std::size_t formatBytes = block.size() - header.biSizeImage;
  return RawSampleParts{{block.data(), formatBytes}, {block.data() + formatBytes, header.biSizeImage}};
}

}  // namespace sprocket
