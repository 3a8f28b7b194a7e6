// The font's TGA decoder: any bytes decode to a complete picture or to nothing.
#include <cstdint>

#include "TgaImage.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  TFontImage image;
  if (!DecodeTga(data, uint32_t(size), image)) {
    FUZZ_CHECK(image.Pixels == nullptr && image.Width == 0 && image.Height == 0);
    return 0;
  }
  FUZZ_CHECK(image.Width != 0 && image.Height != 0 && image.Pixels != nullptr);
  FUZZ_CHECK(image.BytesPerPixel == 3 || image.BytesPerPixel == 4);
  // The texture upload reads every byte of the picture: so does this.
  const size_t bytes = size_t(image.Width) * image.Height * image.BytesPerPixel;
  volatile uint8_t last = image.Pixels[bytes - 1];
  (void)last;
  FreeFontImage(image);
  FUZZ_CHECK(image.Pixels == nullptr);
  return 0;
}
