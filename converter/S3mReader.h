#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "ScreamSong.h"

// Reads an S3M module as Scream Tracker 3 stores it: the header with its flags,
// the enabled channels in order with their default panning, the orders, the
// instruments and samples their parapointers name, and the packed patterns that
// the orders play. Every count and offset is checked against the file before
// anything is made of it.
struct S3mReading {
  enum Outcome { Read, Truncated, Refused } outcome = Refused;
  ScreamSong song;
  std::string description; // "8-channel Scream Tracker 3.20 module, 31 samples"
  std::string refusal;     // for Refused and Truncated: what is wrong
};

S3mReading ReadS3m(const uint8_t *bytes, size_t size);

bool LooksLikeS3m(const uint8_t *bytes, size_t size);
