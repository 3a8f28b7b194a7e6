#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SongModel.h"

// Reads a MOD (15-sample Soundtracker, or 31 samples with one of the tags M.K.,
// M!K!, FLT4, FLT8, 4CHN, 6CHN, 8CHN, 10CH..32CH, or Octalyser's CD81) into an XM song of the same sound.
struct ModReading {
  enum Outcome { Read, NotMod, Truncated } outcome = NotMod;
  Song song;
  std::string description; // "4-channel ProTracker module, 31 samples"
  std::vector<std::string> warnings;
};

ModReading ReadMod(const uint8_t *bytes, size_t size);

// The volume-column panning of each MOD channel: the Amiga's left, right, right,
// left, at 75% separation (see ModReader.cpp).
uint8_t ChannelPanning(int channel);
