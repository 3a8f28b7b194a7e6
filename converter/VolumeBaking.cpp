#include "VolumeBaking.h"

#include <algorithm>
#include <cmath>

#include "ScreamWalk.h"
#include "Warnings.h"

namespace {

constexpr int FullChannelVolume = 64, FullGlobalVolume = 128;
constexpr uint8_t UsualMixVolume = 48;
constexpr uint8_t VolumeSetLast = 64, FineUp = 65, SlidesEnd = 105, PanningFirst = 128, PanningLast = 192;
constexpr size_t SampleVolumeByte = 12;

uint8_t High(uint8_t v) { return v >> 4; }
uint8_t Low(uint8_t v) { return v & 0x0F; }

bool IsNote(uint8_t note) { return note >= 1 && note <= ScreamLastNote; }

bool IsTonePortamento(const ScreamCell &c) {
  constexpr uint8_t VolumePortamentoFirst = 193, VolumePortamentoLast = 202;
  return c.command == ScreamCommand('G') || c.command == ScreamCommand('L') ||
         (c.volume >= VolumePortamentoFirst && c.volume <= VolumePortamentoLast);
}

// A slide parameter of D, K, L, N or W: per tick (0 on the first), or once.
struct Slide {
  int perTick = 0, once = 0;
};

Slide SlideOf(uint8_t parameter) {
  const int x = High(parameter), y = Low(parameter);
  if (y == 0xF && x)
    return {0, x};
  if (x == 0xF && y)
    return {0, -y};
  if (x && y)
    return {};
  return {x ? x : -y, 0};
}

// `amount` scaled by `scale`, never scaled away.
int Scaled(int amount, double scale) {
  if (amount == 0)
    return 0;
  return std::max(1, int(std::lround(amount * scale)));
}

// A slide parameter of the same kind and direction by `amount`.
uint8_t SlideParameter(const Slide &kind, int amount) {
  amount = std::min(amount, 14); // F would make the slide a fine one
  if (kind.once)
    return uint8_t(kind.once > 0 ? amount << 4 | 0xF : 0xF0 | amount);
  return uint8_t(kind.perTick > 0 ? amount << 4 : amount);
}

class TBaking {
public:
  explicit TBaking(ScreamSong &song)
      : song(song), channels(ScreamChannels(song)), channelVolume(song.channelVolume),
        noteVolume(channels, 64), instrument(channels, 0), bakes(channels, false),
        done(song.patterns.size()) {
    for (size_t c = 0; c < channels; ++c)
      bakes[c] = channelVolume[c] != FullChannelVolume;
    for (const ScreamPattern &p : song.patterns)
      for (size_t i = 0; i < p.cells.size(); ++i)
        if (p.cells[i].command == ScreamCommand('M') || p.cells[i].command == ScreamCommand('N'))
          bakes[i % channels] = true;
  }

  VolumeBaking Run() {
    globalVolume = song.globalVolume;
    int speed = song.xm.tempo;
    // Each pass reads the cells as stored; a row's first pass writes them baked.
    const std::vector<ScreamPattern> stored = song.patterns;
    for (const ScreamPlayedRow &played : ScreamRowsOfOnePass(song)) {
      std::vector<bool> &seen = done[played.pattern];
      seen.resize(stored[played.pattern].rows, false);
      const bool first = !seen[played.row];
      seen[played.row] = true;
      const ScreamCell *cells = ScreamRow(stored[played.pattern], played.row, channels);
      ScreamCell *baked = ScreamRow(song.patterns[played.pattern], played.row, channels);
      for (size_t c = 0; c < channels; ++c)
        if (cells[c].command == ScreamCommand('A') && cells[c].parameter)
          speed = cells[c].parameter;
      for (size_t c = 0; c < channels; ++c) {
        ScreamCell cell = cells[c];
        FollowGlobalVolume(cell, speed - 1);
        NameInstrument(c, cell);
        // Every channel's note volume is followed; those of channels at full volume
        // stay as they are.
        ScreamCell scaled = cell;
        BakeChannel(c, scaled, speed - 1);
        if (bakes[c])
          cell = scaled;
        if (first)
          baked[c] = cell;
      }
    }
    song.globalVolume = uint8_t((song.globalVolume + 1) / 2);
    return result;
  }

private:
  // Fine global volume slides set the volume they reach; XM has no fine one.
  void FollowGlobalVolume(ScreamCell &cell, int laterTicks) {
    if (cell.command == ScreamCommand('V')) {
      globalVolume = std::min<int>(cell.parameter, FullGlobalVolume);
    } else if (cell.command == ScreamCommand('W')) {
      const Slide slide = SlideOf(cell.parameter);
      globalVolume = std::clamp(globalVolume + slide.once + slide.perTick * laterTicks, 0, FullGlobalVolume);
      if (slide.once)
        cell.command = ScreamCommand('V'), cell.parameter = uint8_t(globalVolume);
    }
  }

  uint8_t DefaultVolume(uint8_t instrument, uint8_t note) const {
    if (instrument == 0 || instrument > song.xm.instruments.size())
      return 64;
    const SongInstrument &i = song.xm.instruments[instrument - 1];
    const uint8_t slot = uint8_t(i.extra[size_t(note - 1) % 96]);
    return slot < i.samples.size() ? uint8_t(i.samples[slot].header[SampleVolumeByte]) : 64;
  }

  // IT restarts a note's envelopes where it names no instrument, and keeps its
  // volume; XM restarts them only with an instrument number, which also sets the
  // sample's volume. Such a note names its instrument, and its volume where it sets
  // none.
  void NameInstrument(size_t c, ScreamCell &cell) {
    if (cell.instrument) {
      instrument[c] = cell.instrument;
      return;
    }
    if (!IsNote(cell.note) || !instrument[c] || IsTonePortamento(cell))
      return;
    cell.instrument = instrument[c];
    if (cell.volume == ScreamNoVolume)
      cell.volume = uint8_t(noteVolume[c]);
  }

  double Scale(size_t c) const { return channelVolume[c] / double(FullChannelVolume); }

  uint8_t ScaledVolume(size_t c, int volume) const {
    return uint8_t(std::clamp<long>(std::lround(volume * Scale(c)), 0, VolumeSetLast));
  }

  void BakeChannel(size_t c, ScreamCell &cell, int laterTicks) {
    const bool newNote = cell.instrument && IsNote(cell.note);
    if (newNote)
      noteVolume[c] = DefaultVolume(cell.instrument, cell.note);
    if (newNote && cell.volume >= PanningFirst && cell.volume <= PanningLast)
      MovePanningToEffect(cell);
    if (cell.volume <= VolumeSetLast) {
      noteVolume[c] = cell.volume;
      cell.volume = ScaledVolume(c, noteVolume[c]);
    } else if (cell.volume >= FineUp && cell.volume < SlidesEnd) {
      BakeVolumeColumnSlide(c, cell, laterTicks);
    } else if (newNote && cell.volume == ScreamNoVolume) {
      cell.volume = ScaledVolume(c, noteVolume[c]);
    } else if (newNote) {
      ++result.channelVolumesLost;
    }
    switch (cell.command) {
    case ScreamCommand('D'):
    case ScreamCommand('K'):
    case ScreamCommand('L'): BakeSlide(c, cell, laterTicks); break;
    case ScreamCommand('M'):
      channelVolume[c] = std::min<uint8_t>(cell.parameter, FullChannelVolume);
      SetNoteVolumeAgain(c, cell);
      break;
    case ScreamCommand('N'): SlideChannelVolume(c, cell, laterTicks); break;
    default: break;
    }
  }

  // A note's panning in the volume column leaves room for its volume there where
  // the effect column can take the panning.
  static void MovePanningToEffect(ScreamCell &cell) {
    if (cell.command || cell.parameter)
      return;
    cell.command = ScreamCommand('X');
    cell.parameter = uint8_t(std::min(255, (cell.volume - PanningFirst) * 4));
    cell.volume = ScreamNoVolume;
  }

  // a..d: fine slides up and down, slides up and down, by ten steps each.
  void BakeVolumeColumnSlide(size_t c, ScreamCell &cell, int laterTicks) {
    const int kind = (cell.volume - FineUp) / 10, amount = (cell.volume - FineUp) % 10;
    const int sign = kind % 2 == 0 ? 1 : -1;
    noteVolume[c] = std::clamp(noteVolume[c] + sign * amount * (kind < 2 ? 1 : laterTicks), 0, 64);
    cell.volume = uint8_t(FineUp + kind * 10 + std::min(9, Scaled(amount, Scale(c))));
  }

  void BakeSlide(size_t c, ScreamCell &cell, int laterTicks) {
    const Slide slide = SlideOf(cell.parameter);
    noteVolume[c] = std::clamp(noteVolume[c] + slide.once + slide.perTick * laterTicks, 0, 64);
    const int amount = std::abs(slide.once + slide.perTick);
    if (amount)
      cell.parameter = SlideParameter(slide, Scaled(amount, Scale(c)));
  }

  // Mxx changes the level of the note playing: its volume is set again.
  void SetNoteVolumeAgain(size_t c, ScreamCell &cell) {
    cell.command = cell.parameter = 0;
    if (cell.volume == ScreamNoVolume)
      cell.volume = ScaledVolume(c, noteVolume[c]);
    else
      ++result.channelVolumesLost;
  }

  // Nxy slides the channel's volume: the note's volume slides by as much of its own.
  void SlideChannelVolume(size_t c, ScreamCell &cell, int laterTicks) {
    const Slide slide = SlideOf(cell.parameter);
    channelVolume[c] = std::clamp(channelVolume[c] + slide.once + slide.perTick * laterTicks, 0, 64);
    const int amount = std::abs(slide.once + slide.perTick);
    cell.command = cell.parameter = 0;
    if (amount)
      cell.command = ScreamCommand('D'),
      cell.parameter = SlideParameter(slide, Scaled(amount, noteVolume[c] / 64.0));
  }

  ScreamSong &song;
  const size_t channels;
  std::vector<uint8_t> channelVolume;
  std::vector<int> noteVolume;
  std::vector<uint8_t> instrument;     // the last named on each channel
  std::vector<bool> bakes;             // channels whose volume is not always full
  std::vector<std::vector<bool>> done; // per pattern: the rows rewritten, once whichever entry plays them
  int globalVolume = FullGlobalVolume;
  VolumeBaking result;
};

} // namespace

double MixGain(uint8_t mixVolume) { return std::min(1.0, mixVolume / double(UsualMixVolume)); }

VolumeBaking BakeVolumes(ScreamSong &song) { return TBaking(song).Run(); }

std::vector<std::string> VolumeBakingWarnings(const VolumeBaking &baking) {
  std::vector<std::string> warnings;
  if (baking.channelVolumesLost)
    warnings.push_back(Counted("a note or channel volume change (Mxx) plays without its channel's volume: "
                               "its volume column was taken",
                               baking.channelVolumesLost));
  return warnings;
}
