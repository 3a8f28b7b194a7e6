#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "XmFormat.h"

// A module between reading and writing: what an XM 1.04 file holds, with sample
// headers and data kept as the file stores them, so XM to XM stays lossless.

struct SongCell {
  uint8_t note = 0, instrument = 0, volume = 0, effect = 0, parameter = 0;
};

struct SongPattern {
  uint16_t rows = 64;
  std::vector<SongCell> cells; // rows x channels, row by row
};

struct SongSample {
  std::string header; // XmSampleHeaderBytes, as an XM 1.04 file stores it
  std::string data;   // the stored (delta-coded) data
};

struct SongInstrument {
  std::string name = std::string(22, '\0');
  uint8_t type = 0;
  std::string extra = std::string(XmInstrumentBodyBytes, '\0'); // starts with the keymap
  std::vector<SongSample> samples;
};

struct Song {
  std::string name = std::string(20, '\0');
  std::string tracker = std::string(20, '\0');
  uint16_t songLength = 1, restartPosition = 0, channels = 4, flags = 0, tempo = 6, bpm = 125;
  uint8_t orders[256] = {};
  std::vector<SongPattern> patterns;
  std::vector<SongInstrument> instruments;
};
