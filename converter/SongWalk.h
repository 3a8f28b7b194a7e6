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

// Calls `visit(cells, firstVisit)` for each row one pass plays, in that order;
// `firstVisit` is false where the pass has played the row of that pattern before.
template <typename Visit> void ForEachPlayedRow(Song &song, Visit visit) {
  std::vector<std::vector<bool>> visited(song.patterns.size());
  for (size_t p = 0; p < song.patterns.size(); ++p)
    visited[p].assign(song.patterns[p].rows, false);
  for (const PlayedRow &played : RowsOfOnePass(song)) {
    const bool first = !visited[played.pattern][played.row];
    visited[played.pattern][played.row] = true;
    visit(RowCells(song.patterns[played.pattern], played.row, song.channels), first);
  }
}

// The row a pattern break's decimal parameter names.
inline size_t DecimalRow(uint8_t parameter) { return size_t(10 * (parameter >> 4) + (parameter & 0x0F)); }
