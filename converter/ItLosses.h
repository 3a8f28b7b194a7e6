#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the XM of an Impulse Tracker song plays differently, counted as the
// conversion finds it, and the warnings that tell a user of it.
struct ItLosses {
  size_t stereoSamples = 0, bothLoops = 0, unknownCodecs = 0;
  size_t heldSustainLoops = 0; // envelope sustain loops of several points, held at their first
  size_t reducedEnvelopes = 0; // envelopes of more than 12 points
  size_t pitchEnvelopes = 0, filterEnvelopes = 0, filters = 0;
  size_t randomVariation = 0, pitchPanSeparation = 0, carriedEnvelopes = 0;
  size_t keysOffPitch = 0;    // keyboard entries that play another note, at the key's pitch
  size_t samplesBeyondSixteen = 0; // keys of an instrument's 17th sample and beyond, silent
  size_t notesBelowRange = 0; // notes below the eight octaves their instrument moves to
  size_t vibratoDiffers = 0;  // samples of one instrument with other auto-vibratos
  size_t tooManyInstruments = 0;
  size_t longPatterns = 0; // of more than the player's 256 rows
  uint64_t missingSampleBytes = 0;
  bool cutShort = false; // instruments or samples the file ends inside
};

std::vector<std::string> ItWarnings(const ItLosses &losses);
