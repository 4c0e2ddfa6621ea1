#include "refhost/Compression.h"

#include <zlib.h>

namespace refhost {

bool Compression::Decompress(void* destination, std::uint32_t destinationSize, const void* source,
                             std::uint32_t sourceSize) {
  ++decompressCalls_;
  if (!source || (!destination && destinationSize != 0)) return false;
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;
  // The stream must end exactly when the destination is full: a longer, shorter, truncated or
  // corrupt stream is refused.
  stream.next_in = static_cast<Bytef*>(const_cast<void*>(source));
  stream.avail_in = sourceSize;
  stream.next_out = static_cast<Bytef*>(destination);
  stream.avail_out = destinationSize;
  const int result = inflate(&stream, Z_FINISH);
  inflateEnd(&stream);
  return result == Z_STREAM_END && stream.avail_out == 0;
}

}  // namespace refhost
