#include "render/sources/turbo_sources.h"

namespace sprocket {

const std::uint8_t* PictureTurboSources::FetchPicture(int side, std::int32_t width, std::int32_t height) {
  if (side < 0 || side >= static_cast<int>(pictures_.size())) return nullptr;
  pictures_[static_cast<std::size_t>(side)] = fetch_(side, width, height);
  return pictures_[static_cast<std::size_t>(side)].data();
}

}  // namespace sprocket
