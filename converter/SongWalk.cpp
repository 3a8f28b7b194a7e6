#include "SongWalk.h"

#include "XmFormat.h"

std::vector<PlayedRow> RowsOfOnePass(const Song &song) {
  const size_t channels = song.channels;
  std::vector<std::vector<bool>> played(song.songLength);
  std::vector<PlayedRow> rows;
  size_t order = 0, row = 0;
  while (order < song.songLength) {
    const size_t pattern = song.orders[order];
    if (pattern >= song.patterns.size())
      break;
    const SongPattern &p = song.patterns[pattern];
    std::vector<bool> &seen = played[order];
    seen.resize(p.rows, false);
    if (row >= p.rows) // a break past the end enters at the top
      row = 0;
    if (seen[row])
      break;
    seen[row] = true;
    rows.push_back({order, pattern, row});
    bool jump = false, brk = false;
    size_t nextOrder = order, nextRow = row + 1;
    const SongCell *cells = RowCells(p, row, channels);
    for (size_t c = 0; c < channels; ++c) {
      if (cells[c].effect == XmEffect::PositionJump) {
        jump = true;
        nextOrder = cells[c].parameter;
        nextRow = brk ? nextRow : 0;
      } else if (cells[c].effect == XmEffect::PatternBreak) {
        brk = true;
        nextOrder = jump ? nextOrder : order + 1;
        nextRow = DecimalRow(cells[c].parameter);
      }
    }
    if (nextRow >= p.rows && !jump && !brk)
      nextOrder = order + 1, nextRow = 0;
    order = nextOrder;
    row = nextRow;
  }
  return rows;
}
