#include "render/movie/filter_resources.h"

#include <cstring>
#include <filesystem>
#include <string>

#include "libs/effectprepare/effect_prepare.h"
#include "libs/sharedservices/effect_work_block.h"
#include "libs/texturemap/texture_map.h"
#include "render/compose/effect_bridge.h"
#include "render/movie/render_temp_files.h"
#include "timeline/records/filter_ids.h"

namespace sprocket {

namespace {

// Frames larger than this get the path animation's temporary file.
inline constexpr std::int32_t kLargeFrameWidth = 320;
inline constexpr std::int32_t kLargeFrameHeight = 240;

const PreparedFilterData* PreparedData(const TLFilter& filter) {
  return dynamic_cast<const PreparedFilterData*>(filter.workData.get());
}

GlobalBlock BlockFromBytes(const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty()) return {};
  GlobalBlock block = GlobalBlock::Allocate(bytes.size());
  GlobalLockGuard<std::uint8_t> to(block.get());
  if (!to) return {};
  std::memcpy(to.get(), bytes.data(), bytes.size());
  return block;
}

std::vector<std::uint8_t> BytesOfBlock(HGLOBAL block) {
  GlobalLockGuard<std::uint8_t> from(block);
  if (!from) return {};
  return std::vector<std::uint8_t>(from.get(), from.get() + GlobalSize(block));
}

void DeleteFileQuietly(const std::string& path) {
  if (path.empty()) return;
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

void PrepareTextureMap(TLFilter& filter) {
  GlobalBlock textureMap(UnpackTextureData(filter.textureMap));
  if (!textureMap || TextureMapCall(kTexturePrepare, 0, 0, textureMap.get(), 0, 0) != 0) return;
  filter.workData = std::make_unique<PreparedFilterData>(std::move(textureMap), GlobalBlock());
}

void ReleaseTextureMap(TLFilter& filter) {
  if (const PreparedFilterData* prepared = PreparedData(filter); prepared && prepared->TextureMap()) {
    TextureMapCall(kTextureRelease, 0, 0, prepared->TextureMap(), 0, 0);
  }
  filter.workData.reset();
}

// The stored effect data becomes the work block the renderers read.
HGLOBAL AttachWorkBlock(TLFilter& filter) {
  HGLOBAL stored = BlockFromBytes(filter.storedEffectData).release();
  GlobalBlock work(UnpackEffectData(stored));
  FreeStoredEffectData(&stored);
  if (!work) return nullptr;
  HGLOBAL handle = work.get();
  filter.workData = std::make_unique<PreparedFilterData>(GlobalBlock(), std::move(work));
  return handle;
}

void PrepareScreenAnimation(TLFilter& filter, std::int32_t width, std::int32_t height) {
  HGLOBAL work = AttachWorkBlock(filter);
  if (work == nullptr) return;
  // Word 1 marks the filter as prepared for the renderers; word 3 starts at 0.
  filter.effectData[0] = kPreparedMark;
  filter.effectData[2] = 0;
  SetWorkBlockTempFile(work, "", 0, 0, 0);
  if (width > kLargeFrameWidth && height > kLargeFrameHeight && WorkBlockKeysConstant(work)) {
    std::string path;
    if (MakeWindowsTempFile(path, "tlt") != 0) SetWorkBlockTempFile(work, path, 0, 1, 0);
  }
}

void PrepareFreezeFrame(TLFilter& filter) {
  HGLOBAL work = AttachWorkBlock(filter);
  if (work == nullptr) return;
  std::string path;
  if (MakeWindowsTempFile(path, "frz") != 0) SetWorkBlockTempFile(work, path, 0, 0, 0);
}

// Deletes the effect's temporary file and stores the work block's nodes
// back into the filter's stored data.
void DetachWorkBlock(TLFilter& filter) {
  const PreparedFilterData* prepared = PreparedData(filter);
  if (prepared == nullptr || prepared->WorkBlock() == nullptr) {
    filter.workData.reset();
    return;
  }
  HGLOBAL work = prepared->WorkBlock();
  DeleteFileQuietly(WorkBlockTempPath(work));
  SetWorkBlockTempFile(work, "", 0, 0, 0);
  GlobalBlock stored(PackEffectData(work));
  if (stored) filter.storedEffectData = BytesOfBlock(stored.get());
  filter.workData.reset();
}

template <typename Visit>
void ForEachClipFilter(TLEvent* head, Visit visit) {
  for (TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
    if (!event->IsClipIn()) continue;
    for (TLFilter& filter : event->filters) visit(filter);
  }
}

}  // namespace

void PrepareFilterResources(TLEvent* head, std::int32_t width, std::int32_t height) {
  ForEachClipFilter(head, [&](TLFilter& filter) {
    switch (filter.id) {
      case kFilterFilmGrain:
      case kFilterOldFilm:
        PrepareGrainData(&filter.effectData[0], &filter.effectData[1]);
        break;
      case kFilterRepetition3D:
        PrepareRepetitionLayout(&filter.effectData[0], width, height);
        break;
      case kFilterTextureMap:
        PrepareTextureMap(filter);
        break;
      case kFilterVideoScreenAnimation:
        PrepareScreenAnimation(filter, width, height);
        break;
      case kFilterFreezeFrame:
        PrepareFreezeFrame(filter);
        break;
      default:
        break;
    }
  });
}

void ReleaseFilterResources(TLEvent* head) {
  ForEachClipFilter(head, [](TLFilter& filter) {
    switch (filter.id) {
      case kFilterFilmGrain:
      case kFilterOldFilm:
        RestoreGrainData(&filter.effectData[0], &filter.effectData[1]);
        break;
      case kFilterRepetition3D:
        RestoreRepetitionLayout(&filter.effectData[0]);
        break;
      case kFilterTextureMap:
        ReleaseTextureMap(filter);
        break;
      case kFilterVideoScreenAnimation:
        DetachWorkBlock(filter);
        filter.effectData[0] = 0;
        filter.effectData[2] = 0;
        break;
      case kFilterFreezeFrame:
        DetachWorkBlock(filter);
        break;
      default:
        break;
    }
  });
}

void FilterResourceScope::Prepare(TLEvent* head, std::int32_t width, std::int32_t height) {
  Release();
  if (head == nullptr) return;
  PrepareFilterResources(head, width, height);
  head_ = head;
}

void FilterResourceScope::Release() {
  if (head_ == nullptr) return;
  ReleaseFilterResources(head_);
  head_ = nullptr;
}

}  // namespace sprocket
