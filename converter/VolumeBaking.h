#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ScreamSong.h"

// Impulse Tracker multiplies a note's volume by its sample's and instrument's global
// volume, its channel's volume, the song's global volume and the mix volume; XM
// has the note's volume and a global volume of half IT's range. This step bakes the
// rest into what XM has, so that loudness follows IT.

// The part of every sample's level that the song's mix volume (0..128) sets; the
// instruments' and samples' global volumes are scaled into the sample data with it
// (ItInstruments.h).
double MixGain(uint8_t mixVolume);

struct VolumeBaking {
  size_t roundedSlides = 0; // global volume slides of an odd step, at half IT's resolution
};

// The song's global volume and its commands (Vxx, Wxy) in XM's range.
VolumeBaking BakeVolumes(ScreamSong &song);

std::vector<std::string> VolumeBakingWarnings(const VolumeBaking &baking);
