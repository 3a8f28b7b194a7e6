#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "SongModel.h"

// A sample as Scream Tracker and Impulse Tracker keep it, as the XM sample that
// plays it: 8 or 16 bits, mono, tuned by the frequency its C-5 (Impulse Tracker) or
// C-4 (Scream Tracker, the same note) plays at.
struct ScreamSampleData {
  std::string name;            // up to 22 characters kept
  std::vector<int16_t> frames; // 16-bit values; an 8-bit sample's in the high byte
  bool sixteenBit = false;
  bool loop = false, pingPong = false;
  uint32_t loopStart = 0, loopEnd = 0; // frames, the end not played
  uint8_t volume = 64;                 // 0..64
  uint8_t panning = 0x80;
  uint32_t middleC = 8363; // Hz
};

SongSample XmSample(const ScreamSampleData &sample);

// Samples longer than the player takes keep their first frames.
constexpr uint32_t ScreamMostFrames = XmMaxSampleFrames - 1;

// The relative note and finetune (1/128 semitone) that play XM's C-4 at `middleC` Hz.
struct ScreamTuning {
  int8_t relativeNote, finetune;
};
ScreamTuning TuningForMiddleC(uint32_t middleC);
