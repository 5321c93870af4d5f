#include "board_test_movie.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "imagelib/dib_header.h"
#include "platform/global_memory.h"
#include "platform/media/avi_writer.h"

namespace sprocket::testing {

void WriteBoardMovie(const std::string& path, int frames) {
  AviVideoFormat format;
  format.width = 720;
  format.height = 576;
  format.compressor = MakeFourCC("CFCC");
  AviWriter writer;
  ASSERT_TRUE(writer.Open(path, format, std::nullopt)) << writer.ErrorText();
  const DibInfoHeader header = MakeDib24Header(720, 576);
  GlobalBlock picture = GlobalBlock::Allocate(kDibHeaderSize + header.biSizeImage);
  {
    GlobalLockGuard<std::uint8_t> bytes(picture.get());
    WriteDibHeader(bytes.get(), header);
    std::memset(bytes.get() + kDibHeaderSize, 0x80, header.biSizeImage);
  }
  for (int i = 0; i < frames; ++i) ASSERT_TRUE(writer.WriteFrame(picture.get()));
  ASSERT_TRUE(writer.Finish()) << writer.ErrorText();
}

void SetBoardNativeSettings(ApplicationState& app) {
  for (MovieSettings* record : {&app.movie, &app.preview}) {
    record->VCompressionType = "CFCC";
    record->VResWidth = 720;
    record->VResHeight = 576;
    record->VFramesPerSec = 25.0f;
    record->VReserved1 = 0;
  }
}

}  // namespace sprocket::testing
