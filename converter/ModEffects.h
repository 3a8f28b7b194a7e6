#pragma once
#include <cstdint>

#include "SongModel.h"

// MOD effects 0-F as the XM effects that play them the same way.

// What an XM cannot play of a MOD effect.
enum ModEffectLoss : uint8_t {
  NothingLost,
  AmigaFilterLost, // E0x: the Amiga's low-pass filter
  E8xLost,         // E8x: no meaning a MOD player agrees on
  InvertLoopLost,  // EFx: the loop inverted as it plays
  FinetuneLost,    // E5x: the player's E5y sets a sample's finetune to y 128ths for good
};

struct MappedEffect {
  uint8_t effect = 0, parameter = 0;
  ModEffectLoss loss = NothingLost;
};

MappedEffect MapModEffect(uint8_t effect, uint8_t parameter);

// ProTracker, breaking on a row that it also delays, enters the next pattern one
// row after the break's target; the XM break names that row itself.
void MatchDelayedBreaks(SongPattern &pattern, int channels);
