#pragma once
#include <string>

#include "XmWriter.h"

// One pattern of the tune: four bars of sixteen rows, one chord a bar, written track
// by track from a small score.

constexpr int BarRows = 16, PatternRows = 4 * BarRows;

enum Track {
  KickTrack,
  SnareTrack,
  HatTrack,
  BassTrack,
  LeadTrack,
  EchoTrack,
  ArpTrack,
  PadTrack,
  TrackCount
};

// Rhythm strings hold one character a row ('.' plays nothing):
//   kick:  'x' a kick
//   snare: 'x' a snare, 'g' a ghost note, '1'..'9' a snare at that strength, 'r' a
//          snare retriggered every three ticks
//   hats:  'c' closed (softer on odd rows), 'o' open, 'C' crash
//   bass:  'r' the chord's root, 'R' the root an octave up
//   arp:   'x' starts an arpeggio of the chord, held until the next one
// The lead is a phrase of NOTE:ROWS tokens (C#5:4) and rests (r:2); '/' before a note
// glides into it from the one before, 'v' after it lets it fall off at its end; '|'
// marks bars. Long notes get vibrato; the echo track repeats the lead three rows later.
struct Section {
  const char *chords; // four chords, one a bar: "C G Am F"
  std::string kick, snare, hats, bass, arp;
  bool padFadesIn;
  const char *lead;
};

void writeSection(XmPatternSpec &pattern, const Section &section);
