#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A module between reading and writing: what an XM 1.04 file holds, with sample
// headers and data kept as the file stores them, so XM to XM stays lossless.

struct SongCell {
  uint8_t note = 0, instrument = 0, volume = 0, effect = 0, parameter = 0;
};

struct SongPattern {
  uint16_t rows = 64;
  std::vector<SongCell> cells; // rows x channels, row by row
};

constexpr size_t SampleHeaderBytes = 40;
constexpr size_t InstrumentExtraBytes = 208; // keymap, envelopes, vibrato, fadeout
constexpr size_t KeymapNotes = 96;

struct SongSample {
  std::string header; // SampleHeaderBytes, as an XM 1.04 file stores it
  std::string data;   // the stored (delta-coded) data
};

struct SongInstrument {
  std::string name = std::string(22, '\0');
  uint8_t type = 0;
  std::string extra = std::string(InstrumentExtraBytes, '\0'); // starts with the keymap
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

// Stored sample bytes for a 16-bit header field value `length` and the header's
// reserved byte (0xAD: 4-bit deltas behind a 16-byte table).
inline size_t StoredSampleBytes(uint32_t length, uint8_t reserved) {
  return reserved == 0xAD ? 16 + (size_t(length) + 1) / 2 : length;
}
