#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A MOD file as it stores its song, before anything is turned into XM.

constexpr size_t ModTitleBytes = 20;
constexpr size_t ModSampleInfoBytes = 30;
constexpr size_t ModOrderEntries = 128;
constexpr size_t ModRowsPerPattern = 64;
constexpr size_t ModCellBytes = 4;
constexpr uint8_t ModMaxVolume = 64;

// How the file lays out its song, from its tag or, without one, its structure.
struct ModLayout {
  int samples = 31;
  int channels = 4;
  bool pairedPatterns = false; // FLT8: each 8-channel pattern is stored as two 4-channel halves
  bool amigaLimits = true;     // slides stop at periods 113 and 856, as in ProTracker and Soundtracker
  const char *tracker = "ProTracker";
};

struct ModSampleInfo {
  std::string name;
  // In bytes. The earliest trackers count the loop start in bytes, the later ones
  // in words: it is read as the file's tracker wrote it.
  uint32_t length = 0, loopStart = 0, loopLength = 0;
  int finetune = 0; // -8..7 eighths of a semitone
  uint8_t volume = 0;
};

struct ModCell {
  uint16_t period = 0;
  uint8_t sample = 0, effect = 0, parameter = 0;
};

struct ModFile {
  ModLayout layout;
  std::string title;
  uint8_t songLength = 1;
  uint8_t restartByte = 0; // a restart position, or in 15-sample files the initial tempo
  uint8_t orders[ModOrderEntries] = {};
  std::vector<ModSampleInfo> samples;
  std::vector<std::string> sampleBytes;       // what the file holds of each sample
  std::vector<std::vector<ModCell>> patterns; // rows x channels, row by row
  uint64_t missingSampleBytes = 0;
};
