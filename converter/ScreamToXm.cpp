#include "ScreamToXm.h"

#include <algorithm>
#include <utility>

#include "ScreamQuirks.h"
#include "ScreamSpeeds.h"
#include "SongWalk.h"
#include "XmFormat.h"

namespace {

constexpr size_t MostOrders = 256;
constexpr uint8_t FullGlobalVolume = 64;

bool HasNoEffect(const SongCell &cell) { return cell.effect == 0 && cell.parameter == 0; }

// Where each stored order entry plays in the XM order list: skip entries go, and
// the song ends at its first end entry. A jump past the end names the end, where
// the player starts the song again.
std::vector<uint8_t> XmOrders(const ScreamSong &scream, std::vector<size_t> &xmIndex) {
  std::vector<uint8_t> orders;
  xmIndex.assign(scream.orders.size() + 1, 0);
  size_t stored = 0;
  for (; stored < scream.orders.size(); ++stored) {
    const uint8_t pattern = scream.orders[stored];
    xmIndex[stored] = orders.size();
    if (pattern == ScreamEndOrder || orders.size() == MostOrders)
      break;
    if (pattern != ScreamSkipOrder)
      orders.push_back(pattern);
  }
  for (; stored <= scream.orders.size(); ++stored)
    xmIndex[stored] = orders.size();
  return orders;
}

// The effect on the song's first row, on a channel free for it or on one added.
void PutOnFirstRow(Song &song, uint8_t effect, uint8_t parameter) {
  SongCell *cells = RowCells(song.patterns[song.orders[0]], 0, song.channels);
  for (size_t c = 0; c < song.channels; ++c)
    if (HasNoEffect(cells[c])) {
      cells[c].effect = effect, cells[c].parameter = parameter;
      return;
    }
  AddEmptyChannel(song);
  RowCells(song.patterns[song.orders[0]], 0, song.channels)[song.channels - 1] = {0, 0, 0, effect, parameter};
}

} // namespace

Song ScreamToXm(ScreamSong &scream, ScreamLosses &losses) {
  PlaySlowSpeedsWithDelays(scream, losses);
  Song song = std::move(scream.xm);
  const size_t channels = ScreamChannels(scream);
  song.channels = uint16_t(channels);
  std::vector<size_t> xmIndex;
  std::vector<uint8_t> orders = XmOrders(scream, xmIndex);
  song.patterns.clear();
  song.songLength = uint16_t(orders.size());
  std::copy(orders.begin(), orders.end(), song.orders);
  const ScreamSemantics semantics{scream.tracker, scream.flags};
  for (const ScreamPattern &stored : scream.patterns) {
    SongPattern pattern;
    pattern.rows = stored.rows;
    pattern.cells.reserve(stored.cells.size());
    for (const ScreamCell &cell : stored.cells) {
      pattern.cells.push_back(MapScreamCell(cell, semantics, losses));
      if (pattern.cells.back().effect == XmEffect::PositionJump)
        pattern.cells.back().parameter =
            uint8_t(xmIndex[std::min<size_t>(cell.parameter, scream.orders.size())]);
    }
    song.patterns.push_back(std::move(pattern));
  }
  if (scream.globalVolume < FullGlobalVolume)
    PutOnFirstRow(song, XmEffect::SetGlobalVolume, scream.globalVolume);
  const bool scream3 = scream.tracker == ScreamTracker::ScreamTracker3;
  // Impulse Tracker's "compatible Gxx" restarts the envelopes too, as XM does.
  if (scream3 || !scream.flags.compatibleGxx)
    TonePortamentoKeepsTheSample(song);
  KeepFirstPatternDelays(song, scream3, losses, !scream3);
  BreaksAfterJumps(song);
  if (scream3)
    OneLoopForAllChannels(song);
  OffsetsPastTheEnd(song, !scream3 && !scream.flags.oldEffects);
  RetriggersAcrossRows(song); // Impulse Tracker's count goes on from row to row too
  NotesAfterCuts(song, !scream3, scream.instrumentPanning);
  KeepPanning(song, scream.channelPanning, scream3, losses, scream.instrumentPanning, !scream3);
  return song;
}
