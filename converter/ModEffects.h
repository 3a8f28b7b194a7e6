#pragma once
#include <cstdint>

#include "ModFile.h"

// MOD effects as the XM effects that play them the same way.

// The effect set a MOD was written for.
enum class ModDialect : uint8_t {
  ProTracker,           // 31 samples: ProTracker and the trackers that kept its effects
  Soundtracker,         // 15 samples using any of B-F: every Fxx is a speed of 1 to 15
  UltimateSoundtracker, // 15 samples using none of B-F: 1xy arpeggio, 2xy pitch bend, nothing else
};

// A 15-sample file using none of the later trackers' commands B-F was written for
// the first one, as the reference players decide.
ModDialect DialectOf(const ModFile &file);

// What an XM cannot play of a MOD effect.
enum ModEffectLoss : uint8_t {
  NothingLost,
  AmigaFilterLost, // E0x: the Amiga's low-pass filter
  InvertLoopLost,  // EFx: the loop inverted as it plays
  FinetuneLost,    // E5x: the player's E5y sets a sample's finetune to y 128ths for good
};

struct MappedEffect {
  uint8_t effect = 0, parameter = 0;
  ModEffectLoss loss = NothingLost;
};

// F00 comes back as it is: ProTracker stops the song there, which takes a rewrite
// of the song's end (see ModQuirks.h).
MappedEffect MapModEffect(ModDialect dialect, uint8_t effect, uint8_t parameter);
