#include "ScreamWalk.h"

namespace {

constexpr uint8_t Jump = ScreamCommand('B'), Break = ScreamCommand('C'), Special = ScreamCommand('S');
constexpr uint8_t PatternLoop = 0xB;
// Loops inside loops could repeat rows for very long; a pass stops after this many.
constexpr size_t MostRows = size_t(1) << 18;

struct Loop {
  size_t start = 0;
  unsigned count = 0;
};

class TScreamWalk {
public:
  explicit TScreamWalk(const ScreamSong &song)
      : song(song), channels(ScreamChannels(song)), played(song.orders.size()), loops(channels) {}

  std::vector<ScreamPlayedRow> Run() {
    while (rows.size() < MostRows && EnterOrder()) {
      const ScreamPattern &p = song.patterns[song.orders[order]];
      std::vector<bool> &seen = played[order];
      seen.resize(p.rows, false);
      if (row >= p.rows) // a break past the end enters at the top
        row = 0;
      if (seen[row] && !Looping())
        break;
      seen[row] = true;
      rows.push_back({order, song.orders[order], row});
      FollowRow(ScreamRow(p, row, channels), p.rows);
    }
    return rows;
  }

private:
  // Moves past skip entries; false where the song ends.
  bool EnterOrder() {
    while (order < song.orders.size() && song.orders[order] == ScreamSkipOrder)
      ++order, row = 0;
    if (order >= song.orders.size() || song.orders[order] == ScreamEndOrder ||
        song.orders[order] >= song.patterns.size())
      return false;
    if (order != loopOrder) {
      loops.assign(channels, Loop{});
      loopOrder = order;
    }
    return true;
  }

  bool Looping() const {
    for (const Loop &l : loops)
      if (l.count)
        return true;
    return false;
  }

  // A jump and a break on one row go to the break's row of the jump's order, in
  // whichever order the channels name them.
  void FollowRow(const ScreamCell *cells, size_t patternRows) {
    bool jumped = false, broke = false;
    size_t nextOrder = order, nextRow = row + 1;
    for (size_t c = 0; c < channels; ++c) {
      const ScreamCell &cell = cells[c];
      if (cell.command == Jump) {
        jumped = true;
        nextOrder = cell.parameter;
        nextRow = broke ? nextRow : 0;
      } else if (cell.command == Break) {
        broke = true;
        nextOrder = jumped ? nextOrder : order + 1;
        nextRow = cell.parameter;
      } else if (cell.command == Special && cell.parameter >> 4 == PatternLoop) {
        LoopOn(loops[song.tracker == ScreamTracker::ScreamTracker3 ? 0 : c], cell.parameter & 0x0F, nextRow);
      }
    }
    if (nextOrder == order && nextRow >= patternRows)
      nextOrder = order + 1, nextRow = 0;
    order = nextOrder;
    row = nextRow;
  }

  // Scream Tracker starts the next loop after the row that ended the last one.
  void LoopOn(Loop &loop, unsigned count, size_t &nextRow) {
    if (count == 0) {
      loop.start = row;
    } else if (loop.count == 0) {
      loop.count = count;
      nextRow = loop.start;
    } else if (--loop.count != 0) {
      nextRow = loop.start;
    } else if (song.tracker == ScreamTracker::ScreamTracker3) {
      loop.start = row + 1;
    }
  }

  const ScreamSong &song;
  const size_t channels;
  std::vector<std::vector<bool>> played;
  std::vector<Loop> loops;
  std::vector<ScreamPlayedRow> rows;
  size_t order = 0, row = 0, loopOrder = size_t(-1);
};

} // namespace

std::vector<ScreamPlayedRow> ScreamRowsOfOnePass(const ScreamSong &song) { return TScreamWalk(song).Run(); }
