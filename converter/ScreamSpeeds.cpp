#include "ScreamSpeeds.h"

#include <algorithm>
#include <cstdlib>

#include "ScreamWalk.h"

namespace {

constexpr uint8_t SpeedCommand = ScreamCommand('A'), SpecialCommand = ScreamCommand('S');
constexpr uint8_t PatternDelay = 0xE;
constexpr unsigned FastestDelay = 15, SlowestXmSpeed = 31;
constexpr unsigned SlowestTempo = 32, FastestTempo = 255;
constexpr uint8_t TempoCommand = ScreamCommand('T');

bool IsPatternDelay(const ScreamCell &cell) {
  return cell.command == SpecialCommand && cell.parameter >> 4 == PatternDelay;
}

// A speed XM has and the rows of delay after each row that come nearest to `speed`
// ticks, the largest such speed first.
struct XmSpeed {
  unsigned speed, delay;
};

XmSpeed SplitSpeed(unsigned speed) {
  XmSpeed best{SlowestXmSpeed, FastestDelay};
  for (unsigned s = SlowestXmSpeed; s > 0; --s)
    for (unsigned d = 0; d <= FastestDelay; ++d)
      if (std::abs(int(s * (d + 1)) - int(speed)) < std::abs(int(best.speed * (best.delay + 1)) - int(speed)))
        best = {s, d};
  return best;
}

// Per pattern and row: whether a pass has played it yet.
std::vector<std::vector<bool>> NothingVisited(const ScreamSong &song) {
  std::vector<std::vector<bool>> visited(song.patterns.size());
  for (size_t p = 0; p < song.patterns.size(); ++p)
    visited[p].assign(song.patterns[p].rows, false);
  return visited;
}

bool IsTempoSlide(const ScreamCell &cell) {
  return cell.command == TempoCommand && cell.parameter < 0x20 && (cell.parameter & 0x0F);
}

bool HasSlowSpeeds(const ScreamSong &song) {
  if (song.xm.tempo > SlowestXmSpeed)
    return true;
  for (const ScreamPattern &p : song.patterns)
    for (const ScreamCell &cell : p.cells)
      if (cell.command == SpeedCommand && cell.parameter > SlowestXmSpeed)
        return true;
  return false;
}

void AddChannel(ScreamSong &song) {
  const size_t channels = ScreamChannels(song);
  for (ScreamPattern &p : song.patterns) {
    std::vector<ScreamCell> cells(size_t(p.rows) * (channels + 1));
    for (size_t row = 0; row < p.rows; ++row)
      std::copy_n(ScreamRow(p, row, channels), channels, &cells[row * (channels + 1)]);
    p.cells = std::move(cells);
  }
  song.channelPanning.push_back(0x80);
  if (!song.channelVolume.empty())
    song.channelVolume.push_back(64);
}

// The row at `speed`: its speed commands name XM's, and its delay (the first that
// delays, as the trackers take it) grows to cover the ticks XM's speed leaves out.
void StretchRow(ScreamCell *cells, size_t channels, unsigned speed, ScreamLosses &losses) {
  const XmSpeed xm = SplitSpeed(speed);
  if (xm.speed * (xm.delay + 1) != speed)
    losses.Add(ScreamLoss::FastSpeed);
  unsigned delay = 0;
  for (size_t c = 0; c < channels; ++c) {
    if (cells[c].command == SpeedCommand && cells[c].parameter > SlowestXmSpeed)
      cells[c].parameter = uint8_t(xm.speed);
    if (IsPatternDelay(cells[c])) {
      delay = delay ? delay : cells[c].parameter & 0x0F;
      cells[c].command = cells[c].parameter = 0;
    }
  }
  const unsigned rows = std::min((xm.delay + 1) * (delay + 1) - 1, FastestDelay);
  cells[channels] = {ScreamNoNote, 0, ScreamNoVolume, SpecialCommand, uint8_t(PatternDelay << 4 | rows)};
}

} // namespace

void PlaySlowSpeedsWithDelays(ScreamSong &song, ScreamLosses &losses) {
  if (!HasSlowSpeeds(song))
    return;
  AddChannel(song);
  const size_t channels = ScreamChannels(song) - 1;
  unsigned speed = song.xm.tempo;
  if (speed > SlowestXmSpeed)
    song.xm.tempo = uint16_t(SplitSpeed(speed).speed);
  std::vector<std::vector<bool>> visited = NothingVisited(song);
  for (const ScreamPlayedRow &played : ScreamRowsOfOnePass(song)) {
    ScreamCell *cells = ScreamRow(song.patterns[played.pattern], played.row, channels + 1);
    for (size_t c = 0; c < channels; ++c)
      if (cells[c].command == SpeedCommand && cells[c].parameter)
        speed = cells[c].parameter;
    if (visited[played.pattern][played.row])
      continue;
    visited[played.pattern][played.row] = true;
    if (speed > SlowestXmSpeed)
      StretchRow(cells, channels, speed, losses);
  }
}

void PlayTempoSlidesAsTempos(ScreamSong &song) {
  const size_t channels = ScreamChannels(song);
  unsigned speed = song.xm.tempo, tempo = song.xm.bpm;
  std::vector<std::vector<bool>> visited = NothingVisited(song);
  for (const ScreamPlayedRow &played : ScreamRowsOfOnePass(song)) {
    ScreamCell *cells = ScreamRow(song.patterns[played.pattern], played.row, channels);
    unsigned delay = 0;
    for (size_t c = 0; c < channels; ++c) {
      if (cells[c].command == SpeedCommand && cells[c].parameter)
        speed = cells[c].parameter;
      if (cells[c].command == TempoCommand && cells[c].parameter >= SlowestTempo)
        tempo = cells[c].parameter;
      if (IsPatternDelay(cells[c]) && !delay)
        delay = cells[c].parameter & 0x0F;
    }
    const bool first = !visited[played.pattern][played.row];
    visited[played.pattern][played.row] = true;
    ScreamCell *slide = std::find_if(cells, cells + channels, IsTempoSlide);
    if (slide == cells + channels)
      continue;
    const int step = int(slide->parameter & 0x0F) * (slide->parameter >> 4 ? 1 : -1);
    tempo = unsigned(std::clamp(int(tempo) + step * int(speed - 1) * int(delay + 1), int(SlowestTempo),
                                int(FastestTempo)));
    if (first)
      slide->parameter = uint8_t(tempo);
  }
}
