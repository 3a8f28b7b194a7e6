#include "ScreamQuirks.h"

#include <algorithm>
#include <map>

#include "NoteLife.h"
#include "SongWalk.h"
#include "XmFormat.h"

namespace {

constexpr uint8_t Centre = 0x80;
constexpr uint8_t PanningSteps = 16;
constexpr size_t SampleVolumeByte = 12, SamplePanningByte = 15;

bool HasNoEffect(const SongCell &cell) { return cell.effect == 0 && cell.parameter == 0; }

bool IsExtended(const SongCell &cell, uint8_t sub) {
  return cell.effect == XmEffect::Extended && cell.parameter >> 4 == sub;
}

bool IsPatternDelay(const SongCell &cell) { return IsExtended(cell, XmExtended::PatternDelay); }

bool SlidesToTheNote(const SongCell &cell) {
  return cell.effect == XmEffect::TonePortamento || cell.effect == XmEffect::TonePortamentoVolumeSlide ||
         (cell.volume >> 4) == XmVolumeColumn::TonePortamento;
}

// A row's fine slide, as an XM effect or volume-column command: its amount.
uint8_t *FineSlideAmount(SongCell &cell, uint8_t &amount) {
  const uint8_t sub = cell.parameter >> 4;
  amount = cell.parameter & 0x0F;
  if ((cell.effect == XmEffect::Extended &&
       (sub == XmExtended::FinePortamentoUp || sub == XmExtended::FinePortamentoDown ||
        sub == XmExtended::FineVolumeUp || sub == XmExtended::FineVolumeDown)) ||
      cell.effect == XmEffect::ExtraFinePortamento)
    return &cell.parameter;
  const uint8_t column = cell.volume >> 4;
  amount = cell.volume & 0x0F;
  if (column == XmVolumeColumn::FineSlideDown || column == XmVolumeColumn::FineSlideUp)
    return &cell.volume;
  return nullptr;
}

// The trackers take a row's first pattern delay that delays (SE0 does nothing);
// XM takes the last one, 0 included. The others go. Scream Tracker also plays the
// row's fine slides again with every repetition, which XM does once: they slide
// that much further at once, as far as XM's largest fine slide.
void PatternDelays(SongPattern &pattern, size_t channels, bool repeatFineSlides, ScreamLosses &losses,
                   bool zeroCounts) {
  for (size_t row = 0; row < pattern.rows; ++row) {
    SongCell *cells = RowCells(pattern, row, channels);
    unsigned repeats = 0;
    bool counted = false;
    for (size_t c = 0; c < channels; ++c) {
      if (!IsPatternDelay(cells[c]))
        continue;
      if (counted || (!zeroCounts && (cells[c].parameter & 0x0F) == 0))
        cells[c].effect = cells[c].parameter = 0;
      else
        repeats = cells[c].parameter & 0x0F, counted = true;
    }
    for (size_t c = 0; c < channels && repeats && repeatFineSlides; ++c) {
      uint8_t amount = 0;
      if (uint8_t *field = FineSlideAmount(cells[c], amount)) {
        const unsigned total = amount * (repeats + 1);
        if (total > 0x0F)
          losses.Add(ScreamLoss::DelayedFineSlide);
        *field = uint8_t((*field & 0xF0) | std::min(total, 0x0Fu));
      }
    }
  }
}

// A break before a jump on the row: the player would take the jump's row 0, the
// trackers the break's row. The two change places, which nothing else notices.
void BreakAfterJump(SongPattern &pattern, size_t channels) {
  for (size_t row = 0; row < pattern.rows; ++row) {
    SongCell *cells = RowCells(pattern, row, channels);
    SongCell *firstBreak = nullptr, *lastJump = nullptr;
    for (size_t c = 0; c < channels; ++c) {
      if (cells[c].effect == XmEffect::PatternBreak && !firstBreak && !lastJump)
        firstBreak = &cells[c];
      if (cells[c].effect == XmEffect::PositionJump && firstBreak)
        lastJump = &cells[c];
    }
    if (firstBreak && lastJump) {
      std::swap(firstBreak->effect, lastJump->effect);
      std::swap(firstBreak->parameter, lastJump->parameter);
    }
  }
}

bool IsPatternLoop(const SongCell &cell) {
  return cell.effect == XmEffect::Extended && cell.parameter >> 4 == XmExtended::PatternLoop;
}

// Scream Tracker keeps one pattern loop for all channels. It starts again at a
// new pattern's first row and, once a loop has played, at the row after its end;
// the player keeps one per channel, kept from pattern to pattern, and starts where
// the channel's last E60 was. The loops move to a channel added for them, and an
// E60 goes where Scream Tracker would start a loop that the pattern does not mark.
// A loop of one row, whose start and end would share a cell, repeats the row with
// a pattern delay instead.
class TOneLoopForAllChannels {
public:
  explicit TOneLoopForAllChannels(Song &song) : song(song), channels(song.channels) {}

  void Run() {
    if (std::none_of(song.patterns.begin(), song.patterns.end(), [](const SongPattern &p) {
          return std::any_of(p.cells.begin(), p.cells.end(), IsPatternLoop);
        }))
      return;
    AddEmptyChannel(song);
    for (SongPattern &pattern : song.patterns)
      MoveLoops(pattern);
  }

private:
  void MoveLoops(SongPattern &pattern) {
    size_t start = 0, marked = pattern.rows; // the tracker's start, and the player's (none yet)
    for (size_t row = 0; row < pattern.rows; ++row) {
      SongCell *cells = RowCells(pattern, row, channels + 1);
      SongCell loop{};
      for (size_t c = 0; c < channels; ++c)
        if (IsPatternLoop(cells[c])) {
          loop = cells[c];
          cells[c].effect = cells[c].parameter = 0;
        }
      const uint8_t count = loop.parameter & 0x0F;
      if (!IsPatternLoop(loop))
        continue;
      if (count == 0) {
        start = marked = row;
      } else if (start == row) {
        RepeatRow(cells, count);
        start = row + 1;
        continue;
      } else if (marked != start) {
        RowCells(pattern, start, channels + 1)[channels] = {0, 0, 0, XmEffect::Extended,
                                                            uint8_t(XmExtended::PatternLoop << 4)};
        marked = start;
      }
      cells[channels] = {0, 0, 0, loop.effect, loop.parameter};
      if (count)
        start = row + 1;
    }
  }

  // The row played 1 + `count` times, each with the delay it has.
  void RepeatRow(SongCell *cells, uint8_t count) {
    unsigned delay = 0;
    SongCell *at = &cells[channels];
    for (size_t c = 0; c < channels; ++c)
      if (IsPatternDelay(cells[c]))
        delay = cells[c].parameter & 0x0F, at = &cells[c];
    const unsigned repeats = std::min((1u + count) * (1u + delay) - 1, 15u);
    *at = {at->note, at->instrument, at->volume, XmEffect::Extended,
           uint8_t(XmExtended::PatternDelay << 4 | repeats)};
  }

  Song &song;
  const size_t channels;
};

const SongSample *FirstSample(const Song &song, uint8_t instrument) {
  if (instrument == 0 || instrument > song.instruments.size() ||
      song.instruments[instrument - 1].samples.empty())
    return nullptr;
  return &song.instruments[instrument - 1].samples[0];
}

uint8_t SamplePanning(const Song &song, uint8_t instrument) {
  const SongSample *sample = FirstSample(song, instrument);
  return sample ? uint8_t(sample->header[SamplePanningByte]) : Centre;
}

// With a tone portamento, an instrument number only sets the volume, to its own
// sample's: the sound slides on with the sample it has. XM would take the volume
// (and panning) of the sample playing, so the number goes and the volume column
// says it, unless the cell sets a volume of its own.
void TonePortamentoKeepsTheSample(SongCell &cell, const Song &song) {
  if (!cell.instrument ||
      (cell.effect != XmEffect::TonePortamento && cell.effect != XmEffect::TonePortamentoVolumeSlide))
    return;
  const SongSample *sample = FirstSample(song, cell.instrument);
  if (cell.volume == 0)
    cell.volume =
        uint8_t(XmVolumeColumn::SetFirst + (sample ? uint8_t(sample->header[SampleVolumeByte]) : 0));
  cell.instrument = 0;
}

bool SetsVolume(uint8_t volume) {
  return volume >= XmVolumeColumn::SetFirst && volume <= XmVolumeColumn::SetLast;
}

uint8_t VolumeColumnPanning(uint8_t panning) {
  const int step = (panning + PanningSteps / 2) / PanningSteps;
  return uint8_t(XmVolumeColumn::SetPanning << 4 | (step < PanningSteps ? step : PanningSteps - 1));
}

uint32_t HeaderField(const SongSample &sample, size_t at) {
  const auto *h = reinterpret_cast<const uint8_t *>(sample.header.data() + at);
  return uint32_t(h[0] | h[1] << 8 | h[2] << 16 | uint32_t(h[3]) << 24);
}

// The sample an instrument plays for a note, by its keymap.
const SongSample *NoteSample(const Song &song, uint8_t instrument, uint8_t note) {
  if (instrument == 0 || instrument > song.instruments.size() || note == 0 || note > LastNote)
    return nullptr;
  const SongInstrument &i = song.instruments[instrument - 1];
  const uint8_t slot = uint8_t(i.extra[note - 1u]);
  return slot < i.samples.size() ? &i.samples[slot] : nullptr;
}

// Moves a channel's pitch away from its note.
bool MovesPitch(const SongCell &cell) {
  const uint8_t sub = cell.parameter >> 4;
  switch (cell.effect) {
  case XmEffect::PortamentoUp:
  case XmEffect::PortamentoDown:
  case XmEffect::TonePortamento:
  case XmEffect::TonePortamentoVolumeSlide:
  case XmEffect::ExtraFinePortamento: return true;
  case XmEffect::Extended:
    return sub == XmExtended::FinePortamentoUp || sub == XmExtended::FinePortamentoDown;
  default: return (cell.volume >> 4) == XmVolumeColumn::TonePortamento;
  }
}

uint8_t SampleVolume(const SongSample *sample) {
  return sample ? uint8_t(sample->header[SampleVolumeByte]) : 0;
}

// A note cut becomes XM's key-off, which silences a sample without envelope at
// once; but XM keeps the channel released until an instrument number comes, and
// an instrument number alone brings the released sound back. In the trackers a
// note without instrument number plays again after the cut, at the channel's
// volume, and an instrument number alone leaves the channel silent. So, where a
// pass first plays them after a cut: such a note names the channel's instrument
// (and its volume, where that is not the sample's), and an instrument number
// alone moves to the next note. Before its first note a channel is as after a
// cut, and takes no volume but the sample's.
// Impulse Tracker's instrument number alone, where the note has not been cut,
// strikes that note again once it has fallen silent (its sample or volume envelope
// ended, or a cut command); before that it sets the volume and leaves the
// envelope running, where XM's would start it again (unless it sets the panning
// too, which only the number can).
class TNotesAfterCuts {
public:
  TNotesAfterCuts(Song &song, bool impulse, const std::vector<bool> &instrumentPanning)
      : song(song), channels(song.channels), impulse(impulse), instrumentPanning(instrumentPanning),
        state(channels) {}

  void Run() {
    ForEachPlayedRow(song, [&](SongCell *cells, bool first) {
      unsigned delay = 0;
      for (size_t c = 0; c < channels; ++c) {
        if (cells[c].effect == XmEffect::SpeedOrTempo && cells[c].parameter)
          (cells[c].parameter < 0x20 ? speed : bpm) = cells[c].parameter;
        if (IsPatternDelay(cells[c]) && !delay)
          delay = cells[c].parameter & 0x0F;
      }
      for (size_t c = 0; c < channels; ++c) {
        if (first && state[c].released)
          PlayAfterCut(cells[c], state[c]);
        else if (first && impulse)
          PlayInstrumentAlone(cells[c], state[c]);
        Follow(cells[c], state[c]);
      }
      now += double(speed) * (delay + 1);
    });
  }

private:
  struct Channel {
    uint8_t instrument = 0, note = 0;
    int volume = 0;
    bool released = true, sounded = false;
    double silentFrom = 0; // the tick the note has fallen silent by
  };

  bool IsNote(const SongCell &cell) const { return cell.note >= 1 && cell.note <= LastNote; }

  bool SetsPanning(uint8_t instrument) const {
    return instrument <= instrumentPanning.size() && instrumentPanning[instrument - 1u];
  }

  void PlayInstrumentAlone(SongCell &cell, const Channel &channel) {
    if (cell.note || !cell.instrument || cell.instrument != channel.instrument || !channel.note)
      return;
    if (now > channel.silentFrom) {
      cell.note = channel.note;
    } else if (HasShapingEnvelope(song, cell.instrument) && cell.volume == 0 && !SetsPanning(cell.instrument)) {
      cell.volume = uint8_t(XmVolumeColumn::SetFirst + SampleVolume(NoteSample(song, cell.instrument, channel.note)));
      cell.instrument = 0;
    }
  }

  void PlayAfterCut(SongCell &cell, Channel &channel) {
    if (IsNote(cell) && !cell.instrument && channel.instrument) {
      cell.instrument = channel.instrument;
      if (cell.volume == 0 && channel.volume != SampleVolume(NoteSample(song, cell.instrument, cell.note)))
        cell.volume = uint8_t(XmVolumeColumn::SetFirst + channel.volume);
    } else if (!IsNote(cell) && cell.instrument) {
      channel.instrument = cell.instrument;
      channel.volume = SampleVolume(FirstSample(song, cell.instrument));
      cell.instrument = 0;
    }
  }

  // The channel's volume as the song sets it, its slides a whole row at a time.
  void Follow(const SongCell &cell, Channel &channel) {
    if (cell.instrument) {
      channel.instrument = cell.instrument;
      channel.volume = SampleVolume(IsNote(cell) ? NoteSample(song, cell.instrument, cell.note)
                                                 : FirstSample(song, cell.instrument));
      channel.released = false;
    }
    if (cell.note == KeyOffNote)
      channel.released = true;
    if (IsNote(cell) && !SlidesToTheNote(cell)) {
      channel.note = cell.note;
      channel.silentFrom = now + HeldTicks(song, channel.instrument, cell.note, bpm * 2.0 / 5);
    }
    if (IsExtended(cell, XmExtended::NoteCut) && (cell.parameter & 0x0F) < speed)
      channel.silentFrom = std::min(channel.silentFrom, now + (cell.parameter & 0x0F));
    channel.sounded |= IsNote(cell);
    if (!channel.sounded)
      return;
    const int later = speed - 1, x = cell.parameter >> 4, y = cell.parameter & 0x0F, v = cell.volume & 0x0F;
    if (cell.volume >= XmVolumeColumn::SetFirst && cell.volume <= XmVolumeColumn::SetLast)
      channel.volume = cell.volume - XmVolumeColumn::SetFirst;
    switch (cell.volume >> 4) {
    case XmVolumeColumn::SlideDown: channel.volume -= v * later; break;
    case XmVolumeColumn::SlideUp: channel.volume += v * later; break;
    case XmVolumeColumn::FineSlideDown: channel.volume -= v; break;
    case XmVolumeColumn::FineSlideUp: channel.volume += v; break;
    default: break;
    }
    if (cell.effect == XmEffect::VolumeSlide || cell.effect == XmEffect::TonePortamentoVolumeSlide ||
        cell.effect == XmEffect::VibratoVolumeSlide)
      channel.volume += (x ? x : -y) * later;
    else if (cell.effect == XmEffect::Extended && x == XmExtended::FineVolumeUp)
      channel.volume += y;
    else if (cell.effect == XmEffect::Extended && x == XmExtended::FineVolumeDown)
      channel.volume -= y;
    else if (cell.effect == XmEffect::SetVolume)
      channel.volume = cell.parameter;
    channel.volume = std::clamp(channel.volume, 0, 64);
  }

  Song &song;
  const size_t channels;
  const bool impulse;
  const std::vector<bool> &instrumentPanning;
  std::vector<Channel> state;
  int speed = song.tempo, bpm = song.bpm;
  double now = 0; // ticks played
};

struct ChannelState {
  uint8_t panning = Centre, instrument = 0;
  bool released = false;
};

// XM sets a sample's panning with every instrument number, Scream Tracker and
// Impulse Tracker keep the channel's. Where a pass first plays a cell with an
// instrument whose sample would move the channel, the cell sets the channel's
// panning again: in its volume column or effect when free, or by leaving out an
// instrument number that only repeats the one playing (the cell's volume sets what
// the number would have).
class TKeepPanning {
public:
  TKeepPanning(Song &song, const std::vector<uint8_t> &panning, const std::vector<bool> &instrumentPanning,
               bool instrumentRestarts, ScreamLosses &losses)
      : song(song), channels(song.channels), start(channels), instrumentPanning(instrumentPanning),
        instrumentRestarts(instrumentRestarts), losses(losses) {
    for (size_t c = 0; c < panning.size() && c < channels; ++c)
      start[c].panning = panning[c];
  }

  // `samplesHaveNoPanning`: the tracker's samples have no panning of their own,
  // so each may take the panning it plays at most often, which then needs no
  // setting again.
  void Run(bool samplesHaveNoPanning) {
    if (samplesHaveNoPanning)
      GiveSamplesTheirChannelsPanning();
    std::vector<ChannelState> state = start;
    ForEachPlayedRow(song, [&](SongCell *cells, bool first) {
      for (size_t c = 0; c < channels; ++c) {
        if (cells[c].instrument && TakesSamplePanning(cells[c].instrument))
          state[c].panning = SamplePanning(song, cells[c].instrument);
        if (first && cells[c].instrument && SamplePanning(song, cells[c].instrument) != state[c].panning &&
            cells[c].effect != XmEffect::SetPanning)
          SetAgain(cells[c], state[c]);
        Follow(cells[c], state[c]);
      }
    });
  }

private:
  void GiveSamplesTheirChannelsPanning() {
    std::vector<std::map<uint8_t, size_t>> uses(song.instruments.size());
    std::vector<ChannelState> state = start;
    ForEachPlayedRow(song, [&](SongCell *cells, bool first) {
      for (size_t c = 0; c < channels; ++c) {
        if (first && cells[c].instrument && cells[c].instrument <= uses.size())
          ++uses[cells[c].instrument - 1u][state[c].panning];
        Follow(cells[c], state[c]);
      }
    });
    for (size_t i = 0; i < uses.size(); ++i) {
      if (uses[i].empty())
        continue;
      const auto most = std::max_element(uses[i].begin(), uses[i].end(),
                                         [](const auto &a, const auto &b) { return a.second < b.second; });
      for (SongSample &sample : song.instruments[i].samples)
        sample.header[SamplePanningByte] = char(most->first);
    }
  }

  static void Follow(const SongCell &cell, ChannelState &channel) {
    if (cell.instrument)
      channel.instrument = cell.instrument, channel.released = false;
    if (cell.note == KeyOffNote)
      channel.released = true;
    if (cell.effect == XmEffect::SetPanning)
      channel.panning = cell.parameter;
    else if (cell.effect == XmEffect::Extended && cell.parameter >> 4 == XmExtended::SetPanning)
      channel.panning = uint8_t((cell.parameter & 0x0F) * PanningSteps);
  }

  void SetAgain(SongCell &cell, const ChannelState &channel) {
    if (cell.volume == 0 && channel.panning % PanningSteps == 0)
      cell.volume = VolumeColumnPanning(channel.panning);
    else if (HasNoEffect(cell))
      cell.effect = XmEffect::SetPanning, cell.parameter = channel.panning;
    else if (cell.volume == 0)
      cell.volume = VolumeColumnPanning(channel.panning);
    else if (cell.note && cell.instrument == channel.instrument && !channel.released &&
             SetsVolume(cell.volume) && !instrumentRestarts)
      cell.instrument = 0;
    else
      losses.Add(ScreamLoss::PanningReset);
  }

  // Impulse Tracker: an instrument with a default panning sets the channel's.
  bool TakesSamplePanning(uint8_t instrument) const {
    return instrument <= instrumentPanning.size() && instrumentPanning[instrument - 1];
  }

  Song &song;
  const size_t channels;
  std::vector<ChannelState> start;
  const std::vector<bool> &instrumentPanning;
  // Impulse Tracker's notes restart their envelopes, which in XM takes the
  // instrument number: it stays.
  const bool instrumentRestarts;
  ScreamLosses &losses;
};

} // namespace

void RetriggersAcrossRows(Song &song) {
  struct Channel {
    uint8_t note = 0;
    unsigned sinceTrigger = 0; // ticks, at the row's start
    bool moved = false;
  };
  std::vector<Channel> state(song.channels);
  unsigned speed = song.tempo;
  ForEachPlayedRow(song, [&](SongCell *cells, bool first) {
    unsigned delay = 0;
    for (size_t c = 0; c < song.channels; ++c) {
      if (cells[c].effect == XmEffect::SpeedOrTempo && cells[c].parameter && cells[c].parameter < 0x20)
        speed = cells[c].parameter;
      if (IsPatternDelay(cells[c]))
        delay = cells[c].parameter & 0x0F;
    }
    const unsigned ticks = speed * (1 + delay);
    for (size_t c = 0; c < song.channels; ++c) {
      SongCell &cell = cells[c];
      Channel &channel = state[c];
      const unsigned interval = cell.effect == XmEffect::MultiRetrigger ? cell.parameter & 0x0F : 0;
      if (first && interval && !cell.note && channel.note && !channel.moved && channel.sinceTrigger &&
          channel.sinceTrigger % interval == 0)
        cell.note = channel.note;
      if (cell.note >= 1 && cell.note <= LastNote && !MovesPitch(cell))
        channel = {cell.note, 0, false};
      else if (cell.note == KeyOffNote)
        channel.note = 0;
      channel.moved |= MovesPitch(cell);
      // The tracker strikes again wherever the count since the last strike reaches the interval.
      unsigned since = channel.sinceTrigger;
      for (unsigned tick = 0; tick < ticks; ++tick, ++since)
        if (interval && since >= interval)
          since = 0;
      channel.sinceTrigger = since;
    }
  });
}

void AddEmptyChannel(Song &song) {
  const size_t channels = song.channels;
  for (SongPattern &p : song.patterns) {
    std::vector<SongCell> cells(size_t(p.rows) * (channels + 1));
    for (size_t row = 0; row < p.rows; ++row)
      std::copy(&p.cells[row * channels], &p.cells[row * channels] + channels, &cells[row * (channels + 1)]);
    p.cells = std::move(cells);
  }
  ++song.channels;
}

void TonePortamentoKeepsTheSample(Song &song) {
  for (SongPattern &pattern : song.patterns)
    for (SongCell &cell : pattern.cells)
      TonePortamentoKeepsTheSample(cell, song);
}

void KeepFirstPatternDelays(Song &song, bool repeatFineSlides, ScreamLosses &losses, bool zeroCounts) {
  for (SongPattern &pattern : song.patterns)
    PatternDelays(pattern, song.channels, repeatFineSlides, losses, zeroCounts);
}

void BreaksAfterJumps(Song &song) {
  for (SongPattern &pattern : song.patterns)
    BreakAfterJump(pattern, song.channels);
}

void OneLoopForAllChannels(Song &song) { TOneLoopForAllChannels(song).Run(); }

// Scream Tracker plays an offset past the end of a looped sample as far into the
// loop as it goes past, the loop repeated, and one past the end of any other
// sample as silence; the player would let the note go and start the old sound
// again. Where a pass first plays such an offset, it becomes the place in the loop
// (to the nearest 256 frames) or a note at volume 0.
void OffsetsPastTheEnd(Song &song, bool fromTheStart) {
  std::vector<uint8_t> instrument(song.channels, 0);
  ForEachPlayedRow(song, [&](SongCell *cells, bool first) {
    for (size_t c = 0; c < song.channels; ++c) {
      SongCell &cell = cells[c];
      if (cell.instrument)
        instrument[c] = cell.instrument;
      const SongSample *sample = NoteSample(song, instrument[c], cell.note);
      if (!first || !sample || cell.effect != XmEffect::SampleOffset)
        continue;
      const uint32_t width = uint8_t(sample->header[14]) & 0x10 ? 2 : 1;
      const uint32_t loopStart = HeaderField(*sample, 4) / width,
                     loopLength = HeaderField(*sample, 8) / width;
      const bool looped = (uint8_t(sample->header[14]) & 3) != NoLoop && loopLength;
      const uint32_t end = looped ? loopStart + loopLength : HeaderField(*sample, 0) / width;
      if (uint32_t(cell.parameter) * 256 < end)
        continue;
      if (fromTheStart)
        cell.effect = cell.parameter = 0;
      else if (!looped)
        cell.effect = XmEffect::SetVolume, cell.parameter = 0;
      else
        cell.parameter = uint8_t(std::min<uint32_t>(
            (loopStart + (uint32_t(cell.parameter) * 256 - loopStart) % loopLength + 128) / 256,
            (end - 1) / 256));
      if (cell.effect == XmEffect::SampleOffset && cell.parameter == 0)
        cell.effect = 0;
    }
  });
}

void NotesAfterCuts(Song &song, bool impulse, const std::vector<bool> &instrumentPanning) {
  TNotesAfterCuts(song, impulse, instrumentPanning).Run();
}

void KeepPanning(Song &song, const std::vector<uint8_t> &channelPanning, bool samplesHaveNoPanning,
                 ScreamLosses &losses, const std::vector<bool> &instrumentPanning, bool instrumentRestarts) {
  TKeepPanning(song, channelPanning, instrumentPanning, instrumentRestarts, losses).Run(samplesHaveNoPanning);
}
