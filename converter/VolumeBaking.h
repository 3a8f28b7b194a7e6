#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ScreamSong.h"

// Impulse Tracker multiplies a note's volume by its sample's and instrument's global
// volume, its channel's volume, the song's global volume and the mix volume; XM has
// the note's volume and a global volume of half IT's range. This step bakes the
// others into what XM has, so that loudness follows IT:
// - the samples' and instruments' global volumes and the mix volume scale the
//   sample data (MixGain, ItInstruments.h);
// - a channel's volume (the header's, Mxx, Nxy) scales the volumes its cells set and
//   slide by, Mxx sets the note's volume again, Nxy becomes a volume slide;
// - the song's global volume halves into XM's, its fine slides become set volumes.

// The part of every sample's level that the song's mix volume (0..128) sets. The
// player mixes as loud as IT at its usual 48, and has no room above.
double MixGain(uint8_t mixVolume);

struct VolumeBaking {
  size_t channelVolumesLost =
      0; // notes and Mxx with no free column to set their channel's part of the volume
};

// Before the notes are spread over channels (NewNoteActions.h): channels are still
// the song's own.
VolumeBaking BakeVolumes(ScreamSong &song);

std::vector<std::string> VolumeBakingWarnings(const VolumeBaking &baking);
