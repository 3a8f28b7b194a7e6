#pragma once
#include <cstdint>

// MOD effects 0-F as the XM effects that play them the same way.

// What an XM cannot play of a MOD effect.
enum ModEffectLoss : uint8_t {
  NothingLost,
  AmigaFilterLost, // E0x: the Amiga's low-pass filter
  E8xLost,         // E8x: no meaning a MOD player agrees on
  InvertLoopLost,  // EFx: the loop inverted as it plays
};

struct MappedEffect {
  uint8_t effect = 0, parameter = 0;
  ModEffectLoss loss = NothingLost;
};

MappedEffect MapModEffect(uint8_t effect, uint8_t parameter);
