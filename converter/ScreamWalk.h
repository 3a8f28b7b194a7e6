#pragma once
#include <cstddef>
#include <vector>

#include "ScreamSong.h"

// The rows one pass through a Scream Tracker or Impulse Tracker song plays, in the
// order it plays them: from the first order until an end entry or the last entry,
// or until it comes back to a row it has played. Skip entries are passed over,
// jumps and breaks followed, and pattern loops played out: Scream Tracker keeps
// one loop for all channels, Impulse Tracker one per channel, and a new pattern
// starts them from its first row.
struct ScreamPlayedRow {
  size_t order, pattern, row;
};

std::vector<ScreamPlayedRow> ScreamRowsOfOnePass(const ScreamSong &song);
