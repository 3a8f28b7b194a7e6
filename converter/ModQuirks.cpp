#include "ModQuirks.h"

#include <algorithm>

#include "AmigaPitch.h"
#include "SongWalk.h"
#include "XmFormat.h"

namespace {

constexpr size_t RowsInModPattern = 64;

bool IsEffect(const SongCell &cell, uint8_t effect, uint8_t sub) {
  return cell.effect == effect && cell.parameter >> 4 == sub;
}

bool DelaysRow(const SongCell &cell) {
  return IsEffect(cell, XmEffect::Extended, XmExtended::PatternDelay) && (cell.parameter & 0x0F);
}

bool HasNoEffect(const SongCell &cell) { return cell.effect == 0 && cell.parameter == 0; }

uint8_t DecimalParameter(size_t row) { return uint8_t((row / 10) << 4 | row % 10); }

// A break to row 1 after the jump on channel `jump`: on a free channel after it, or
// the jump moves to a free channel before it and the break takes its place.
void AddBreakAfterJump(SongCell *cells, size_t channels, size_t jump) {
  const SongCell breakToRowOne{0, 0, 0, XmEffect::PatternBreak, 0x01};
  for (size_t c = jump + 1; c < channels; ++c)
    if (HasNoEffect(cells[c])) {
      cells[c].effect = breakToRowOne.effect, cells[c].parameter = breakToRowOne.parameter;
      return;
    }
  for (size_t c = 0; c < jump; ++c)
    if (HasNoEffect(cells[c])) {
      cells[c].effect = cells[jump].effect, cells[c].parameter = cells[jump].parameter;
      cells[jump].effect = breakToRowOne.effect, cells[jump].parameter = breakToRowOne.parameter;
      return;
    }
}

} // namespace

void MatchDelayedJumps(SongPattern &pattern, size_t channels) {
  for (size_t row = 0; row < pattern.rows; ++row) {
    SongCell *cells = RowCells(pattern, row, channels);
    if (std::none_of(cells, cells + channels, DelaysRow))
      continue;
    bool broke = false;
    size_t jump = channels;
    for (size_t c = 0; c < channels; ++c) {
      SongCell &cell = cells[c];
      if (cell.effect == XmEffect::PatternBreak) {
        broke = true;
        const size_t target = DecimalRow(cell.parameter) + 1;
        if (target < RowsInModPattern)
          cell.parameter = DecimalParameter(target);
      } else if (cell.effect == XmEffect::PositionJump) {
        jump = c;
      }
    }
    if (jump < channels && !broke)
      AddBreakAfterJump(cells, channels, jump);
  }
}

size_t StopAtF00(Song &song) {
  auto isStop = [](const SongCell &c) { return c.effect == XmEffect::SpeedOrTempo && c.parameter == 0; };
  size_t stops = 0;
  for (const SongPattern &p : song.patterns)
    stops += size_t(std::count_if(p.cells.begin(), p.cells.end(), isStop));
  if (stops == 0)
    return 0;
  const uint8_t stopOrder = uint8_t(song.songLength);
  SongPattern silence;
  silence.rows = 1;
  silence.cells.assign(song.channels, SongCell{0, 0, 0, XmEffect::SetVolume, 0});
  song.orders[stopOrder] = uint8_t(song.patterns.size());
  song.patterns.push_back(std::move(silence));
  ++song.songLength;
  for (SongPattern &p : song.patterns)
    for (SongCell &cell : p.cells)
      if (isStop(cell))
        cell.effect = XmEffect::PositionJump, cell.parameter = stopOrder;
  for (const PlayedRow &played : RowsOfOnePass(song))
    if (played.order == stopOrder)
      song.restartPosition = stopOrder;
  return stops;
}

namespace {

constexpr uint8_t PanningSteps = 16;

uint8_t VolumeColumnPanning(uint8_t step) { return uint8_t(XmVolumeColumn::SetPanning << 4 | step); }

bool UsesPanning(const Song &song) {
  for (const SongPattern &p : song.patterns)
    for (const SongCell &cell : p.cells)
      if (cell.effect == XmEffect::SetPanning)
        return true;
  return false;
}

} // namespace

void KeepPanning(Song &song, const std::vector<uint8_t> &defaultPanning) {
  if (!UsesPanning(song))
    return;
  std::vector<uint8_t> panning(song.channels);
  for (size_t c = 0; c < song.channels; ++c)
    panning[c] = uint8_t(defaultPanning[c] * PanningSteps);
  ForEachPlayedRow(song, [&](SongCell *cells, bool first) {
    for (size_t c = 0; c < song.channels; ++c) {
      SongCell &cell = cells[c];
      if (first && (cell.note || cell.instrument))
        cell.volume =
            VolumeColumnPanning(uint8_t(std::min(PanningSteps - 1, (panning[c] + 8) / PanningSteps)));
      if (cell.effect == XmEffect::SetPanning)
        panning[c] = cell.parameter;
    }
  });
}

namespace {

constexpr int HighestPeriod = 856, LowestPeriod = 113;
constexpr uint8_t FirstBpm = 0x20;

struct ChannelPitch {
  int period = 0, target = 0, finetune = 0;
  uint8_t portamentoSpeed = 0;
};

bool WithinLimits(int period) { return period >= LowestPeriod && period <= HighestPeriod; }

// A slide by `step` (negative: up) on each of `ticks` ticks, which ProTracker stops
// at the limit: the step comes back as large as still fits, 0 where none does.
int StepWithinLimits(int period, int step, int ticks) {
  if (ticks == 0 || step == 0)
    return step;
  const int room = step < 0 ? period - LowestPeriod : HighestPeriod - period;
  const int most = room / ticks;
  return step < 0 ? std::max(step, -most) : std::min(step, most);
}

// Applies the cell's slide to the channel and, on a row's first visit, brings its
// parameter within the limits.
void SlideWithinLimits(SongCell &cell, ChannelPitch &pitch, int ticks, bool first) {
  const uint8_t sub = cell.parameter >> 4, value = cell.parameter & 0x0F;
  int step = 0, slideTicks = ticks;
  if (cell.effect == XmEffect::PortamentoUp || cell.effect == XmEffect::PortamentoDown)
    step = cell.effect == XmEffect::PortamentoUp ? -cell.parameter : cell.parameter;
  else if (IsEffect(cell, XmEffect::Extended, XmExtended::FinePortamentoUp) ||
           IsEffect(cell, XmEffect::Extended, XmExtended::FinePortamentoDown))
    step = sub == XmExtended::FinePortamentoUp ? -value : value, slideTicks = 1;
  if (step == 0 || !WithinLimits(pitch.period))
    return;
  const int kept = StepWithinLimits(pitch.period, step, slideTicks);
  if (first && kept != step) {
    const uint8_t size = uint8_t(kept < 0 ? -kept : kept);
    if (size == 0)
      cell.effect = 0, cell.parameter = 0;
    else
      cell.parameter = cell.effect == XmEffect::Extended ? uint8_t(sub << 4 | size) : size;
  }
  pitch.period = std::clamp(pitch.period + step * slideTicks, LowestPeriod, HighestPeriod);
}

void FollowTonePortamento(const SongCell &cell, ChannelPitch &pitch, int ticks) {
  if (cell.effect == XmEffect::TonePortamento && cell.parameter)
    pitch.portamentoSpeed = cell.parameter;
  if (cell.effect != XmEffect::TonePortamento && cell.effect != XmEffect::TonePortamentoVolumeSlide)
    return;
  const int distance = pitch.target - pitch.period, most = pitch.portamentoSpeed * ticks;
  pitch.period += std::clamp(distance, -most, most);
}

} // namespace

void KeepSlidesWithinAmigaLimits(Song &song, const std::vector<int> &finetunes) {
  std::vector<ChannelPitch> pitch(song.channels);
  int speed = song.tempo;
  ForEachPlayedRow(song, [&](SongCell *cells, bool first) {
    int delay = 0;
    for (size_t c = 0; c < song.channels; ++c) {
      if (cells[c].effect == XmEffect::SpeedOrTempo && cells[c].parameter && cells[c].parameter < FirstBpm)
        speed = cells[c].parameter;
      if (DelaysRow(cells[c]))
        delay = cells[c].parameter & 0x0F;
    }
    const int ticks = (speed - 1) * (1 + delay);
    for (size_t c = 0; c < song.channels; ++c) {
      SongCell &cell = cells[c];
      ChannelPitch &channel = pitch[c];
      if (cell.instrument && cell.instrument <= finetunes.size())
        channel.finetune = finetunes[cell.instrument - 1];
      const bool toNote =
          cell.effect == XmEffect::TonePortamento || cell.effect == XmEffect::TonePortamentoVolumeSlide;
      if (cell.note >= 1 && cell.note <= LastNote)
        (toNote ? channel.target : channel.period) = AmigaPeriod(cell.note, channel.finetune);
      FollowTonePortamento(cell, channel, ticks);
      SlideWithinLimits(cell, channel, ticks, first);
    }
  });
}
