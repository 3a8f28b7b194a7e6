#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SongModel.h"

// Turns a MOD (15-sample Soundtracker, or 31 samples with a tag such as M.K.,
// FLT4, FLT8, 6CHN or 16CH) into an XM song of the same sound: finds its layout,
// reads it, decides which tracker's effects it was written for, maps every cell,
// and rewrites what ProTracker plays otherwise than XM.
struct ModReading {
  enum Outcome { Read, NotMod, UnknownTag, BadSongLength, Truncated } outcome = NotMod;
  Song song;
  std::string description; // "4-channel ProTracker module, 31 samples"
  std::vector<std::string> warnings;
  std::string tag; // the four bytes, for UnknownTag
};

ModReading ReadMod(const uint8_t *bytes, size_t size);

// The volume-column panning of each MOD channel: the Amiga's left, right, right,
// left, at 75% separation (see ModConversion.cpp).
uint8_t ChannelPanning(int channel);
