#pragma once
#include <bitset>
#include <cstddef>
#include <vector>

#include "ByteReader.h"
#include "ItFile.h"
#include "ItLosses.h"
#include "SongModel.h"

// Impulse Tracker instruments, in the old (before 2.00) and the new layout, and the
// XM instruments that play them.

// The instrument at `offset`; `cutShort` is set when the file ends inside it.
ItInstrument ReadItInstrument(TByteReader file, size_t offset, bool oldFormat, bool &cutShort);

using ItNotes = std::bitset<ItKeyboardNotes>; // IT notes 0..119 (C-0..B-9)

// How the song plays an instrument: the notes its cells name with it, and whether
// notes of it are released by fading (a new-note action or duplicate check that
// fades), where XM's key-off has to start the fadeout at once.
struct ItInstrumentUse {
  ItNotes notes;
  bool fades = false;
  int channelPanning = -1; // 0..255: of the channel that plays it most, -1 for none
};

// The XM instrument, and by how many octaves its notes move down to stay within
// XM's 96 notes (its samples play as many octaves higher).
struct XmInstrumentMade {
  SongInstrument instrument;
  int octaveShift = 0;
};

// `samples` are the file's, numbered from 1 by the keyboard. `gain` scales every
// sample (the song's part of the loudness; the instrument's and samples' global
// volumes are added here).
XmInstrumentMade MakeXmInstrument(const ItInstrument &instrument, const std::vector<ItSample> &samples,
                                  const ItInstrumentUse &use, double gain, ItLosses &losses);

// Sample `sample` (1-based) of a song without instruments as an XM instrument of its own.
XmInstrumentMade MakeSampleInstrument(const std::vector<ItSample> &samples, uint8_t sample,
                                      const ItInstrumentUse &use, double gain, ItLosses &losses);
