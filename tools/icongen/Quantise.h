#pragma once
#include "IconFile.h"
#include "Raster.h"

// A true-colour picture as an indexed one of at most 255 colours, each the mean of the
// colours it stands for (median cut); a picture with fewer colours keeps them exactly.
// Pixels more than half transparent show the desktop, as a 32-bit image's mask has it.
struct QuantisedPicture {
  IndexedPicture picture;
  Palette palette;
};
QuantisedPicture Quantise(const TrueColourPicture &picture);
