#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "ByteReader.h"
#include "ItFile.h"
#include "SongModel.h"

// Impulse Tracker samples: their headers and data (8 or 16 bits, signed or not,
// compressed or not, mono or stereo), and the XM samples that play them.

struct ItSampleReading {
  ItSample sample;
  bool cutShort = false;     // the file ends inside the data
  bool unknownCodec = false; // data in a form no tracker this program knows writes: silent
};

// The header at the reader's position and the data it points to. A sample that
// claims more frames than its data could hold is read as far as the file goes;
// none is longer than XM's longest.
ItSampleReading ReadItSample(TByteReader file, size_t headerOffset);

// How the note of an XM sample is placed: a sample played `semitones` above (or
// below) the key that plays it, for keyboard entries that map a key to another note.
struct ItSamplePlacement {
  int semitones = 0;
  double gain = 1.0;       // the sample's and instrument's global volume, and the song's
  int panning = -1;        // 0..64: the instrument's default panning, where the sample has none
  int channelPanning = -1; // 0..255: where neither has one, what XM's note sets (-1: centre)
};

// The sample as one XM sample: the loop that plays (the sustain loop where there
// are two), its pitch from its C5 speed, volume, panning, and its data scaled by
// `gain`, as 16-bit data where the scale would cost an 8-bit sample its detail.
SongSample MakeXmSample(const ItSample &sample, const ItSamplePlacement &placement);

// The loop an XM sample of `sample` plays: the sustain loop where there is one.
ItLoop PlayedLoop(const ItSample &sample);
