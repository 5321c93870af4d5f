#pragma once
// Turns a packed DIB from a caller into a picture of the image-file library.

#include <cstddef>
#include <cstdint>

#include "platform/global_memory.h"

namespace sprocket {

// Reads a packed DIB of `bytes` bytes: an info header of 40 bytes or more,
// the bit masks (16- and 32-bit pictures with biCompression 3), the colour
// table, then the rows; bottom-up, or top-down with a negative height. Rows
// are biSizeImage / height bytes apart when biSizeImage is set (unpadded
// rows are accepted), else padded to 4 bytes. 1-, 4- and 8-bit pictures
// become 8-bit pictures with their colour table; 16-bit (5-5-5 or bit
// masks), 24-bit and 32-bit pictures become 24-bit pictures.
// Gives an empty block for anything unreadable: a short block, a header that
// disagrees with it, compressed rows, an unsupported depth or size.
GlobalBlock ImportPackedDib(const std::uint8_t* dib, std::size_t bytes);

}  // namespace sprocket
