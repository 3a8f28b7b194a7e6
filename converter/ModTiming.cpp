#include "ModTiming.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "SongWalk.h"
#include "XmFormat.h"

namespace {

constexpr uint8_t FirstBpm = 0x20;
constexpr uint8_t SlowestSpeed = 0x1F;
constexpr double SecondsPerTickAtOneBpm = 2.5;

} // namespace

double SecondsOfOnePass(const Song &song, bool tempoAsSpeed) {
  unsigned speed = song.tempo, bpm = song.bpm;
  double seconds = 0;
  for (const PlayedRow &played : RowsOfOnePass(song)) {
    const SongCell *cells = RowCells(song.patterns[played.pattern], played.row, song.channels);
    unsigned delay = 0;
    for (size_t c = 0; c < song.channels; ++c) {
      const SongCell &cell = cells[c];
      if (cell.effect == XmEffect::SpeedOrTempo && cell.parameter)
        (cell.parameter < FirstBpm || tempoAsSpeed ? speed : bpm) = cell.parameter;
      else if (cell.effect == XmEffect::Extended && cell.parameter >> 4 == XmExtended::PatternDelay)
        delay = cell.parameter & 0x0F;
    }
    seconds += speed * (1 + delay) * SecondsPerTickAtOneBpm / bpm;
  }
  return seconds;
}

// A CIA timer of (240 - T) x 122 cycles of the PAL Amiga's 709379 Hz clock per tick.
unsigned SoundtrackerBpm(uint8_t tempoByte) {
  if (tempoByte == 0 || tempoByte == DefaultTempoByte || tempoByte >= 240)
    return 0;
  constexpr double CiaClock = 709379, CyclesPerStep = 122;
  return unsigned(std::lround(CiaClock * SecondsPerTickAtOneBpm / (CyclesPerStep * (240 - tempoByte))));
}

namespace {

constexpr unsigned VerticalBlankBpm = 125;
constexpr unsigned LowestBpm = 0x20;

// The speed a row sets as a tracker reads it: the last channel's Fxx; 0 for none.
unsigned RowSpeed(const SongCell *cells, size_t channels) {
  unsigned speed = 0;
  for (size_t c = 0; c < channels; ++c)
    if (cells[c].effect == XmEffect::SpeedOrTempo && cells[c].parameter)
      speed = cells[c].parameter;
  return speed;
}

} // namespace

// How a row plays a vertical-blank speed: an XM speed, a BPM, and a pattern delay
// that stretches the row itself when even BPM 32 is too fast.
struct RowTiming {
  unsigned speed, bpm, delay;
};

RowTiming TimingOfSpeed(unsigned speed) {
  if (speed <= SlowestSpeed)
    return {speed, VerticalBlankBpm, 0};
  const unsigned rows =
      (speed * LowestBpm + VerticalBlankBpm * SlowestSpeed - 1) / (VerticalBlankBpm * SlowestSpeed);
  const unsigned bpm = (VerticalBlankBpm * SlowestSpeed * rows + speed / 2) / speed;
  return {SlowestSpeed, std::max(LowestBpm, std::min(bpm, 0xFFu)), std::min(rows - 1, 15u)};
}

size_t ReadTempoCommandsAsSpeeds(Song &song) {
  const size_t channels = song.channels;
  bool delays = false;
  for (const SongPattern &p : song.patterns)
    for (size_t row = 0; row < p.rows; ++row)
      delays |= TimingOfSpeed(RowSpeed(&p.cells[row * channels], channels)).delay > 0;
  const size_t widened = channels + (delays ? 2 : 1);
  size_t slower = 0;
  for (SongPattern &p : song.patterns) {
    std::vector<SongCell> cells(size_t(p.rows) * widened);
    for (size_t row = 0; row < p.rows; ++row) {
      SongCell *from = &p.cells[row * channels], *to = &cells[row * widened];
      std::copy(from, from + channels, to);
      const unsigned speed = RowSpeed(from, channels);
      if (speed == 0)
        continue;
      const RowTiming timing = TimingOfSpeed(speed);
      for (size_t c = 0; c < channels; ++c)
        if (to[c].effect == XmEffect::SpeedOrTempo && to[c].parameter)
          to[c].parameter = uint8_t(timing.speed);
      to[channels] = {0, 0, 0, XmEffect::SpeedOrTempo, uint8_t(timing.bpm)};
      if (timing.delay)
        to[channels + 1] = {0, 0, 0, XmEffect::Extended,
                            uint8_t(XmExtended::PatternDelay << 4 | timing.delay)};
      slower += speed > SlowestSpeed;
    }
    p.cells = std::move(cells);
  }
  song.channels = uint16_t(widened);
  return slower;
}
