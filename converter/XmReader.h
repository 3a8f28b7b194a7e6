#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SongModel.h"

// Reads an XM of any layout version the way trackers do, by the lengths the file
// states, and notes where the player, which takes those parts at a fixed size,
// would read something else.
struct XmReading {
  // BeyondTrackers: counts no tracker writes (channels outside 1..64, more than 256
  // patterns, a pattern of 0 or more than 256 rows); only the player can say what
  // it makes of them.
  // Refused: counts the player cannot take, in `refusal`.
  enum Outcome { Read, NotXm, Truncated, BeyondTrackers, Refused } outcome = NotXm;
  uint16_t version = 0;
  Song song;
  // Parts the player would misread, in words ("pattern headers of 8 bytes"); empty
  // when the player reads the file as the tracker does.
  std::vector<std::string> layoutChanges;
  uint64_t missingSampleBytes = 0; // sample data the file stops before; those samples are shortened
  std::string refusal;
};

XmReading ReadXm(const uint8_t *bytes, size_t size);

// True when the bytes start like an XM file.
bool LooksLikeXm(const uint8_t *bytes, size_t size);
