#pragma once
#include <cstddef>
#include <vector>

#include "SongModel.h"

// The rows one pass through a song plays, in the order it plays them: from order 0
// until the song ends or comes back to a row it has played. Jumps and breaks are
// followed; pattern loops and delays are not (they repeat rows, not reach others).
struct PlayedRow {
  size_t order, pattern, row;
};

std::vector<PlayedRow> RowsOfOnePass(const Song &song);

// A row's cells in a pattern of `channels` channels.
inline SongCell *RowCells(SongPattern &pattern, size_t row, size_t channels) {
  return &pattern.cells[row * channels];
}
inline const SongCell *RowCells(const SongPattern &pattern, size_t row, size_t channels) {
  return &pattern.cells[row * channels];
}

// The row a pattern break's decimal parameter names.
inline size_t DecimalRow(uint8_t parameter) { return size_t(10 * (parameter >> 4) + (parameter & 0x0F)); }
