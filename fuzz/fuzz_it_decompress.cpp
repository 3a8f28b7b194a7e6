// IT 2.14 and 2.15 sample decompression over any bytes: it reads only the bytes it is
// given (the sanitizer sees every other read) and gives exactly the frames asked for.
// The first byte chooses the depth and the compression, the next two the frames.
#include <vector>

#include "FuzzCheck.h"
#include "ItCompression.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 3)
    return 0;
  const bool sixteenBit = data[0] & 1, secondOrder = data[0] & 2;
  const size_t frames = size_t(data[1] | data[2] << 8) * 4; // up to 256 K, beyond a block of either depth
  TByteReader in(data + 3, size - 3);
  std::vector<int16_t> out;
  DecompressItSample(in, frames, sixteenBit, secondOrder, out);
  FUZZ_CHECK(out.size() == frames);
  return 0;
}
