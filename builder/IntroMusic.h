#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ModuleConverter.h"

// The module an intro carries for a music file: the converter's XM 1.04 where it can
// make one, otherwise the file's own bytes (the player then rejects them and the
// intro runs silently, as it would have with the file).
struct TIntroMusic {
  std::string Bytes;
  ConvertedModule Conversion;
  bool Converted = false; // the bytes differ from the file's
};

TIntroMusic MusicForIntro(const std::vector<uint8_t> &file);

// What a conversion did, in toxm's lines; none for a file that goes in as it is
// without a warning.
std::vector<std::string> ConversionLines(const std::string &name, const TIntroMusic &music);
