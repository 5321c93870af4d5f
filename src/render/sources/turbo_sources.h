#pragma once
// The fast path's media sources over a renderer's own picture maker.
//
// The fast path asks for the pictures of the frame's one entry (the A and B
// sides of a transition, or a clip's picture) at the output size; the
// renderer makes them as its general road would, so the fast path's frame
// equals the general road's.

#include <array>
#include <cstdint>
#include <functional>

#include "libs/turboeffect/turbo_effect.h"
#include "render/picture/dib_picture.h"

namespace sprocket {

class PictureTurboSources final : public TurboSources {
public:
  // Makes the picture of a side (kTurboSideA, kTurboSideB, kTurboSideClip)
  // at width x height; an empty picture when the side has none.
  using Fetch = std::function<DibPicture(int side, std::int32_t width, std::int32_t height)>;

  explicit PictureTurboSources(Fetch fetch) : fetch_(std::move(fetch)) {}

  // Each side's picture stays valid until that side is fetched again or
  // the sources are destroyed.
  const std::uint8_t* FetchPicture(int side, std::int32_t width, std::int32_t height) override;

private:
  Fetch fetch_;
  std::array<DibPicture, 3> pictures_;
};

}  // namespace sprocket
