#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SongModel.h"

// Turns an IT module into an XM song of the same sound: reads it (ItReader.h),
// resolves its parameter memory (ParameterMemory.h), spreads the notes that go on
// under the next one over channels of their own (NewNoteActions.h), bakes its
// volumes into what XM has (VolumeBaking.h) and maps it (ScreamToXm.h).
struct ItConversion {
  enum Outcome { Converted, Truncated, Refused } outcome = Refused;
  Song song;
  std::string description; // "8-channel Impulse Tracker 2.14 IT module, 5 instruments, 7 samples"
  std::vector<std::string> warnings;
  std::string refusal;
};

ItConversion ConvertIt(const uint8_t *bytes, size_t size);
