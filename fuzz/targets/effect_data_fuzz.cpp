// The effect data a timeline's filters and transitions carry: a block of the
// input becomes, as the first byte picks, the picture of an image matte, a
// texture map block with its picture, the stored path of a screen
// animation, or the grey map of a wipe; the effect then renders a small
// frame with values taken from the input.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_input.h"
#include "libs/effectcatalog/effect_ids.h"
#include "libs/effectcatalog/effect_picture.h"
#include "libs/filterrender/filter_render.h"
#include "libs/sharedservices/effect_work_block.h"
#include "libs/texturemap/texture_map.h"
#include "libs/transitionrender/transition_render.h"
#include "platform/global_memory.h"

namespace {

using namespace sprocket;
using namespace sprocket::effect_id;

constexpr std::int32_t kWidth = 16;
constexpr std::int32_t kHeight = 12;

GlobalBlock BlockOf(std::span<const std::uint8_t> bytes) {
  GlobalBlock block = GlobalBlock::Allocate(bytes.size());
  GlobalLockGuard<std::uint8_t> lock(block.get());
  if (lock.get() == nullptr) return {};
  if (!bytes.empty()) std::memcpy(lock.get(), bytes.data(), bytes.size());
  return block;
}

PictureBuffer Gradient() {
  PictureBuffer picture(kWidth, kHeight);
  const PictureView& view = picture.view();
  for (std::int32_t y = 0; y < kHeight; ++y) {
    for (std::int32_t x = 0; x < kWidth; ++x) {
      std::uint8_t* p = view.At(x, y);
      p[0] = static_cast<std::uint8_t>(x * 16);
      p[1] = static_cast<std::uint8_t>(y * 20);
      p[2] = static_cast<std::uint8_t>(x * y);
    }
  }
  return picture;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputBytes input(data, size);
  const int road = input.U8() % 4;
  const float percent = static_cast<float>(input.U8() % 101);
  EffectParamSet values;
  for (std::int32_t& value : values.values) value = input.I32();
  const std::span<const std::uint8_t> rest = input.Rest();
  const GlobalBlock block = BlockOf(rest);
  GlobalLockGuard<std::uint8_t> picture(block.get());

  // The readers of the blocks on their own.
  ReadGreyLevels(picture.get(), kWidth, kHeight);
  ViewPicture24(picture.get());

  EffectFilter filter;
  filter.params.push_back(values);
  if (picture.get() != nullptr) filter.pictures.push_back(picture.get());
  GlobalBlock texture;
  GlobalBlock work;
  switch (road) {
    case 0:
      filter.id = kImageMatte;
      break;
    case 1: {
      filter.id = kTextureMap;
      // Tiles of every scale are alike but cost up to 256 x 256 pixels of
      // noise: the two smallest scales keep the runs fast.
      std::vector<std::uint8_t> stored(rest.begin(), rest.end());
      if (stored.size() >= 12) {
        stored[8] = static_cast<std::uint8_t>(1 + stored[8] % 2);
        stored[9] = stored[10] = stored[11] = 0;
      }
      filter.params[0].values[3] = 1 + (filter.params[0].values[3] & 1);
      texture = GlobalBlock(UnpackTextureData(stored));
      if (texture && TextureMapCall(kTexturePrepare, 0, 0, texture.get(), 0, 0) == 0) {
        PreparedTextureTile(texture.get());
        filter.textureMap = texture.get();
      }
      break;
    }
    case 2: {
      filter.id = kVideoScreenAnimation;
      work = GlobalBlock(UnpackEffectData(block.get()));
      if (work) {
        NodeAt(ReadWorkNodes(work.get()), static_cast<std::int32_t>(percent * 100));
        filter.workBlock = work.get();
      }
      break;
    }
    default:
      filter.id = kGreyMapWipe;
      break;
  }

  PictureBuffer source = Gradient();
  PictureBuffer other = Gradient();
  PictureBuffer destination(kWidth, kHeight);
  PictureBuffer alpha(kWidth, kHeight);
  const std::span<const EffectFilter> filters(&filter, 1);
  if (filter.id == kGreyMapWipe) {
    RenderTransition(kGreyMapWipe, percent, source.view(), other.view(), destination.view(), filters, percent);
  } else {
    ApplyFilters(filters, percent, source.view(), destination.view(), alpha.view(), other.view(), 25.0f, 400);
    ApplyFilters(filters, percent, source.view(), destination.view(), PictureView{}, PictureView{}, 25.0f, 400);
  }
  return 0;
}
