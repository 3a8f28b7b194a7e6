#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SongModel.h"

// Turns an S3M into an XM song of the same sound: reads it (S3mReader.h), resolves
// its parameter memory (ParameterMemory.h) and maps it (ScreamToXm.h).
struct S3mConversion {
  enum Outcome { Converted, Truncated, Refused } outcome = Refused;
  Song song;
  std::string description; // "8-channel Scream Tracker 3.20 S3M module, 31 samples"
  std::vector<std::string> warnings;
  std::string refusal;
};

S3mConversion ConvertS3m(const uint8_t *bytes, size_t size);
