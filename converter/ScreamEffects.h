#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "ScreamSong.h"
#include "SongModel.h"

// Scream Tracker's and Impulse Tracker's commands, with their parameters resolved
// (ParameterMemory.h), as the XM effects that play them: what a command does
// depends on the tracker and the song's flags.

// What an XM cannot play of a cell, counted for the warnings (ScreamWarnings.h).
enum class ScreamLoss : uint8_t {
  None,
  Glissando,        // S1x: slides in semitones
  Finetune,         // S2x: a sample's finetune set for good
  RandomWave,       // S3x, S4x of 3: a random waveform
  FinePatternDelay, // S6x: a row longer by some ticks
  StereoControl,    // SAx
  FunkRepeat,       // SFx
  Panbrello,        // Yxy
  Macro,            // Zxx
  FastSpeed,        // Axx above 31 ticks a row that no XM speed and delay make exactly
  Surround,         // XA4, S91
  OddTremolo,       // Rxy of an odd depth, between two of XM's
  NoteRange,        // a note outside XM's eight octaves
  DelayedFineSlide, // a fine slide on a delayed row, repeated further than XM's largest
  PanningReset,     // a note whose instrument takes the sample's panning, with no room to set it again
  Memory,           // a 00 parameter that plays with another pass's value (ParameterMemory.h)
  // Impulse Tracker
  EnvelopeSwitch,    // S77..S7C: an envelope turned off or on
  HighOffset,        // SAx: sample offsets beyond 64 K frames
  TempoSlide,        // T0x, T1x
  FinePanSlide,      // PFx, PxF
  FastPanSlide,      // Pxy faster than XM's fastest
  VolumeColumnSlide, // e and f in the volume column, where the effect column is taken
  Count
};

struct ScreamLosses {
  std::array<size_t, size_t(ScreamLoss::Count)> count{};
  void Add(ScreamLoss loss) { ++count[size_t(loss)]; }
};

struct ScreamSemantics {
  ScreamTracker tracker = ScreamTracker::ScreamTracker3;
  ScreamFlags flags;
};

// A vibrato depth of `eighths` (at most 8) eighths of XM's step per step of the
// tracker's, to the nearest of XM's steps, and at least one for a vibrato that moves.
uint8_t XmVibratoDepth(unsigned depth, unsigned eighths);

// One cell as XM plays it: note, instrument, volume column and effect. A jump's
// order stays as stored (the order list changes in ScreamToXm.h).
SongCell MapScreamCell(const ScreamCell &cell, const ScreamSemantics &semantics, ScreamLosses &losses);
