#include "NewNoteActions.h"

#include <algorithm>

#include "NoteLife.h"
#include "ScreamWalk.h"
#include "Warnings.h"

namespace {

constexpr size_t MostChannels = 64;
constexpr size_t MostPatterns = ScreamSkipOrder; // pattern numbers below the order list's markers
constexpr uint8_t Special = ScreamCommand('S');
constexpr uint8_t FirstTempo = 0x20;
constexpr uint8_t VolumePortamentoFirst = 193, VolumePortamentoLast = 202;
constexpr uint8_t VolumePanningFirst = 128, VolumePanningLast = 192;
constexpr uint8_t Centre = 0x80;

uint8_t High(uint8_t v) { return v >> 4; }
uint8_t Low(uint8_t v) { return v & 0x0F; }

bool IsNote(uint8_t note) { return note >= 1 && note <= ScreamLastNote; }

bool IsTonePortamento(const ScreamCell &c) {
  return c.command == ScreamCommand('G') || c.command == ScreamCommand('L') ||
         (c.volume >= VolumePortamentoFirst && c.volume <= VolumePortamentoLast);
}

// A note that starts a new one; with a tone portamento it slides the one playing.
bool StartsNote(const ScreamCell &c) { return IsNote(c.note) && !IsTonePortamento(c); }

bool IsSpecial(const ScreamCell &c, uint8_t sub) { return c.command == Special && High(c.parameter) == sub; }

// Commands that act on the song rather than on the note of their channel.
bool ActsOnSong(const ScreamCell &c) {
  switch (c.command) {
  case ScreamCommand('A'):
  case ScreamCommand('B'):
  case ScreamCommand('C'):
  case ScreamCommand('T'):
  case ScreamCommand('V'):
  case ScreamCommand('W'): return true;
  case Special: return High(c.parameter) == 0x6 || High(c.parameter) == 0xB || High(c.parameter) == 0xE;
  default: return false;
  }
}

bool SetsPanning(const ScreamCell &c) {
  return c.command == ScreamCommand('X') || IsSpecial(c, 0x8) ||
         (c.volume >= VolumePanningFirst && c.volume <= VolumePanningLast);
}

bool IsEmpty(const ScreamCell &c) {
  return c.note == ScreamNoNote && c.instrument == 0 && c.volume == ScreamNoVolume && c.command == 0;
}

// Adds what `more` sets to `cell`.
void Merge(ScreamCell &cell, const ScreamCell &more) {
  if (more.note != ScreamNoNote)
    cell.note = more.note;
  if (more.instrument)
    cell.instrument = more.instrument;
  if (more.volume != ScreamNoVolume)
    cell.volume = more.volume;
  if (more.command)
    cell.command = more.command, cell.parameter = more.parameter;
}

bool SameCells(const ScreamPattern &a, const ScreamPattern &b) {
  return std::equal(a.cells.begin(), a.cells.end(), b.cells.begin(), b.cells.end(),
                    [](const ScreamCell &x, const ScreamCell &y) {
                      return x.note == y.note && x.instrument == y.instrument && x.volume == y.volume &&
                             x.command == y.command && x.parameter == y.parameter;
                    });
}

ScreamCell NoteEvent(uint8_t note) {
  ScreamCell cell;
  cell.note = note;
  return cell;
}

uint8_t EventOf(ScreamNewNoteAction action) {
  switch (action) {
  case ScreamNewNoteAction::NoteOff: return ScreamNoteOff;
  case ScreamNewNoteAction::NoteFade: return ScreamNoteFade;
  case ScreamNewNoteAction::Cut: return ScreamNoteCut;
  case ScreamNewNoteAction::Continue: break;
  }
  return ScreamNoNote;
}

// What one XM channel sounds.
struct Voice {
  int owner = -1; // the IT channel whose note it is
  double start = 0, end = 0;
  uint8_t instrument = 0, note = 0;
  ScreamNewNoteAction action = ScreamNewNoteAction::Cut;
  bool Sounding(double tick) const { return owner >= 0 && tick < end; }
};

// What the XM channel's player state has from the cells it was given.
struct XmChannelState {
  uint8_t instrument = 0, panning = Centre;
};

struct ItChannel {
  size_t foreground = 0;
  uint8_t instrument = 0, panning = Centre, volume = ScreamNoVolume;
};

// One order entry's rows as routed: for each row, the cells of the XM channels that
// get one, with the IT channel each came from.
struct RoutedCell {
  size_t channel, from;
  ScreamCell cell;
};
struct RoutedRow {
  bool routed = false;
  std::vector<RoutedCell> cells;
};

class TSpreading {
public:
  explicit TSpreading(ScreamSong &song)
      : song(song), channels(ScreamChannels(song)), voices(channels), xm(channels), it(channels),
        routed(song.orders.size()) {
    for (size_t c = 0; c < channels; ++c) {
      it[c].foreground = c;
      it[c].panning = xm[c].panning = song.channelPanning[c];
    }
  }

  NoteSpreading Run() {
    double tick = 0;
    speed = song.xm.tempo, bpm = song.xm.bpm;
    for (const ScreamPlayedRow &played : ScreamRowsOfOnePass(song)) {
      std::vector<RoutedRow> &rows = routed[played.order];
      rows.resize(song.patterns[played.pattern].rows);
      RoutedRow &row = rows[played.row];
      const ScreamCell *cells = ScreamRow(song.patterns[played.pattern], played.row, channels);
      const int rowTicks = FollowTiming(cells);
      if (!row.routed) {
        row.routed = true;
        for (size_t c = 0; c < channels; ++c)
          if (!IsEmpty(cells[c]))
            Route(c, cells[c], row, tick + NoteDelay(cells[c]));
      } else {
        for (const RoutedCell &r : row.cells)
          Play(r.channel, r.from, r.cell, tick + NoteDelay(r.cell));
      }
      tick += rowTicks;
    }
    Rebuild();
    result.channelsAdded = voices.size() - channels;
    return result;
  }

private:
  // Ticks the row lasts, after its speed and tempo changes.
  int FollowTiming(const ScreamCell *cells) {
    int delay = 0, extra = 0;
    for (size_t c = 0; c < channels; ++c) {
      const ScreamCell &cell = cells[c];
      if (cell.command == ScreamCommand('A') && cell.parameter)
        speed = cell.parameter;
      else if (cell.command == ScreamCommand('T') && cell.parameter >= FirstTempo)
        bpm = cell.parameter;
      else if (IsSpecial(cell, 0xE))
        delay = std::max(delay, int(Low(cell.parameter)));
      else if (IsSpecial(cell, 0x6))
        extra += Low(cell.parameter);
    }
    return speed * (1 + delay) + extra;
  }

  static int NoteDelay(const ScreamCell &cell) { return IsSpecial(cell, 0xD) ? Low(cell.parameter) : 0; }

  double TicksPerSecond() const { return bpm / 2.5; }

  const ScreamNoteActions *ActionsOf(uint8_t instrument) const {
    return instrument && instrument <= song.noteActions.size() ? &song.noteActions[instrument - 1] : nullptr;
  }

  void Route(size_t c, ScreamCell cell, RoutedRow &row, double tick) {
    ItChannel &channel = it[c];
    if (IsSpecial(cell, 0x7) && Low(cell.parameter) <= 2)
      ActOnPastNotes(c, ScreamNewNoteAction(Low(cell.parameter) + 1), row, tick);
    size_t target = channel.foreground;
    if (IsNote(cell.note) && IsTonePortamento(cell) && !voices[target].Sounding(tick))
      StartInsteadOfSliding(cell);
    if (StartsNote(cell)) {
      const uint8_t instrument = cell.instrument ? cell.instrument : channel.instrument;
      CheckDuplicates(c, instrument, cell.note, row, tick);
      Voice &current = voices[target];
      if (current.Sounding(tick) && current.owner == int(c) && current.action != ScreamNewNoteAction::Cut) {
        if (const uint8_t event = EventOf(current.action))
          Put(row, target, c, NoteEvent(event), tick);
        target = FreeChannel(c, tick);
        KeepChannelState(c, target, instrument, cell);
      }
      channel.foreground = target;
    }
    if (target != c && ActsOnSong(cell)) {
      ScreamCell song;
      song.command = cell.command, song.parameter = cell.parameter;
      cell.command = cell.parameter = 0;
      Put(row, c, c, song, tick);
    }
    Follow(channel, cell);
    Put(row, target, c, cell, tick);
    if (IsSpecial(cell, 0x7) && Low(cell.parameter) >= 3 && Low(cell.parameter) <= 6)
      voices[target].action = ScreamNewNoteAction(Low(cell.parameter) - 3);
  }

  // A tone portamento with nothing to slide plays its note, where XM's would stay
  // silent: the slide goes, Lxy's volume slide stays.
  static void StartInsteadOfSliding(ScreamCell &cell) {
    if (cell.command == ScreamCommand('G'))
      cell.command = cell.parameter = 0;
    else if (cell.command == ScreamCommand('L'))
      cell.command = ScreamCommand('D');
    if (cell.volume >= VolumePortamentoFirst && cell.volume <= VolumePortamentoLast)
      cell.volume = ScreamNoVolume;
  }

  // S70, S71, S72: the channel's notes from before are cut, released or faded.
  void ActOnPastNotes(size_t c, ScreamNewNoteAction action, RoutedRow &row, double tick) {
    for (size_t k = 0; k < voices.size(); ++k)
      if (k != it[c].foreground && voices[k].owner == int(c) && voices[k].Sounding(tick))
        Put(row, k, c, NoteEvent(EventOf(action)), tick);
  }

  bool Duplicates(const Voice &v, ScreamDuplicateCheck check, uint8_t instrument, uint8_t note) const {
    if (v.instrument != instrument)
      return false;
    switch (check) {
    case ScreamDuplicateCheck::Note: return v.note == note;
    case ScreamDuplicateCheck::Sample: return SampleSlot(instrument, v.note) == SampleSlot(instrument, note);
    case ScreamDuplicateCheck::Instrument: return true;
    case ScreamDuplicateCheck::Off: break;
    }
    return false;
  }

  int SampleSlot(uint8_t instrument, uint8_t note) const {
    const SongInstrument &i = song.xm.instruments[instrument - 1];
    return uint8_t(i.extra[std::clamp<int>(note - 1, 0, XmKeymapNotes - 1)]);
  }

  // A new note's instrument checks the channel's sounding notes for duplicates of
  // it, and cuts, releases or fades them.
  void CheckDuplicates(size_t c, uint8_t instrument, uint8_t note, RoutedRow &row, double tick) {
    const ScreamNoteActions *actions = ActionsOf(instrument);
    if (!actions || actions->duplicateCheck == ScreamDuplicateCheck::Off ||
        instrument > song.xm.instruments.size())
      return;
    for (size_t k = 0; k < voices.size(); ++k) {
      Voice &v = voices[k];
      if (v.owner != int(c) || !v.Sounding(tick) || !Duplicates(v, actions->duplicateCheck, instrument, note))
        continue;
      if (k == it[c].foreground && actions->duplicateAction == ScreamNewNoteAction::Cut)
        v.end = tick; // the new note takes its place
      else
        Put(row, k, c, NoteEvent(EventOf(actions->duplicateAction)), tick);
    }
  }

  // A channel for a note of IT channel `c` while its last one plays on: its own if
  // silent, or one of those added that is, or a new one, or the one whose note from
  // before started first.
  size_t FreeChannel(size_t c, double tick) {
    const size_t own = c;
    if (!voices[own].Sounding(tick))
      return own;
    for (size_t k = channels; k < voices.size(); ++k)
      if (!voices[k].Sounding(tick))
        return k;
    if (voices.size() < MostChannels) {
      voices.emplace_back();
      xm.emplace_back();
      return voices.size() - 1;
    }
    size_t oldest = own;
    for (size_t k = channels; k < voices.size(); ++k)
      if (!IsForeground(k) && (IsForeground(oldest) || voices[k].start < voices[oldest].start))
        oldest = k;
    if (IsForeground(oldest))
      oldest = it[c].foreground;
    ++result.notesCut;
    return oldest;
  }

  bool IsForeground(size_t k) const {
    return voices[k].owner >= 0 && it[size_t(voices[k].owner)].foreground == k;
  }

  // A note moved to another XM channel names its instrument and sets its volume and
  // panning where that channel would otherwise play with its own.
  void KeepChannelState(size_t c, size_t target, uint8_t instrument, ScreamCell &cell) {
    const ItChannel &channel = it[c];
    if (!cell.instrument && xm[target].instrument != instrument) {
      cell.instrument = instrument;
      if (cell.volume == ScreamNoVolume)
        cell.volume = channel.volume;
    }
    if (SetsPanning(cell) || xm[target].panning == channel.panning ||
        TakesSamplePanning(cell.instrument ? cell.instrument : instrument))
      return;
    if (cell.command == 0 && cell.parameter == 0)
      cell.command = ScreamCommand('X'), cell.parameter = channel.panning;
    else if (cell.volume == ScreamNoVolume)
      cell.volume = uint8_t(VolumePanningFirst + (channel.panning + 2) / 4);
    else
      ++result.panningsLost;
  }

  bool TakesSamplePanning(uint8_t instrument) const {
    return instrument && instrument <= song.instrumentPanning.size() &&
           song.instrumentPanning[instrument - 1];
  }

  // The IT channel's instrument, volume and panning as its cells set them.
  void Follow(ItChannel &channel, const ScreamCell &cell) {
    if (cell.instrument) {
      channel.instrument = cell.instrument;
      channel.volume = ScreamNoVolume;
      if (TakesSamplePanning(cell.instrument))
        channel.panning = SamplePanning(cell.instrument);
    }
    if (cell.volume <= 64)
      channel.volume = cell.volume;
    else if (cell.volume >= VolumePanningFirst && cell.volume <= VolumePanningLast)
      channel.panning = uint8_t(std::min(255, (cell.volume - VolumePanningFirst) * 4));
    if (cell.command == ScreamCommand('X'))
      channel.panning = cell.parameter;
    else if (IsSpecial(cell, 0x8))
      channel.panning = uint8_t(Low(cell.parameter) * 17);
  }

  uint8_t SamplePanning(uint8_t instrument) const {
    const SongInstrument &i = song.xm.instruments[instrument - 1];
    constexpr size_t PanningByte = 15;
    return i.samples.empty() ? Centre : uint8_t(i.samples[0].header[PanningByte]);
  }

  // Writes the cell for XM channel `k` and plays it.
  void Put(RoutedRow &row, size_t k, size_t from, const ScreamCell &cell, double tick) {
    auto same =
        std::find_if(row.cells.begin(), row.cells.end(), [&](const RoutedCell &r) { return r.channel == k; });
    if (same == row.cells.end())
      row.cells.push_back({k, from, cell});
    else
      Merge(same->cell, cell);
    Play(k, from, cell, tick);
  }

  // What a cell does to the note on its XM channel.
  void Play(size_t k, size_t from, const ScreamCell &cell, double tick) {
    Voice &v = voices[k];
    if (cell.instrument)
      xm[k].instrument = cell.instrument;
    xm[k].panning = it[from].panning;
    if (StartsNote(cell)) {
      const uint8_t instrument = xm[k].instrument;
      const ScreamNoteActions *actions = ActionsOf(instrument);
      v.owner = int(from);
      v.start = tick;
      v.instrument = instrument;
      v.note = cell.note;
      v.action = actions ? actions->newNote : ScreamNewNoteAction::Cut;
      v.end = tick + HeldTicks(song.xm, instrument, cell.note, TicksPerSecond());
    } else if (cell.note == ScreamNoteCut) {
      v.end = std::min(v.end, tick);
    } else if (cell.note == ScreamNoteOff || cell.note == ScreamNoteFade) {
      v.end = std::min(v.end, tick + ReleasedTicks(song.xm, v.instrument, tick - v.start));
    }
  }

  // Each order entry plays its routed pattern; entries that route a pattern the same
  // way share one.
  void Rebuild() {
    const size_t width = voices.size();
    std::vector<ScreamPattern> patterns;
    std::vector<std::vector<size_t>> versions(song.patterns.size()); // new numbers per stored pattern
    for (size_t o = 0; o < song.orders.size(); ++o) {
      const uint8_t stored = song.orders[o];
      if (stored >= song.patterns.size())
        continue;
      ScreamPattern made = Routed(song.patterns[stored], routed[o], width);
      std::vector<size_t> &known = versions[stored];
      const auto same =
          std::find_if(known.begin(), known.end(), [&](size_t p) { return SameCells(patterns[p], made); });
      if (same != known.end()) {
        song.orders[o] = uint8_t(*same);
      } else if (patterns.size() < MostPatterns) {
        known.push_back(patterns.size());
        song.orders[o] = uint8_t(patterns.size());
        patterns.push_back(std::move(made));
      } else {
        ++result.routingsLost;
        song.orders[o] = uint8_t(known.empty() ? 0 : known.front());
      }
    }
    song.patterns = std::move(patterns);
    song.channelPanning.resize(width, Centre);
    song.channelVolume.resize(width, 64);
  }

  // A stored pattern as one order entry routes it; rows it did not play keep their
  // cells on their own channels.
  ScreamPattern Routed(const ScreamPattern &stored, const std::vector<RoutedRow> &rows, size_t width) const {
    ScreamPattern out;
    out.rows = stored.rows;
    out.cells.assign(size_t(stored.rows) * width, ScreamCell{});
    for (size_t row = 0; row < stored.rows; ++row) {
      ScreamCell *cells = ScreamRow(out, row, width);
      if (row < rows.size() && rows[row].routed) {
        for (const RoutedCell &r : rows[row].cells)
          cells[r.channel] = r.cell;
      } else {
        std::copy_n(ScreamRow(stored, row, channels), channels, cells);
      }
    }
    return out;
  }

  ScreamSong &song;
  const size_t channels;
  std::vector<Voice> voices;
  std::vector<XmChannelState> xm;
  std::vector<ItChannel> it;
  std::vector<std::vector<RoutedRow>> routed; // per order entry
  int speed = 6, bpm = 125;
  NoteSpreading result;
};

} // namespace

NoteSpreading SpreadNewNoteActions(ScreamSong &song) {
  if (ScreamChannels(song) == 0)
    return {};
  return TSpreading(song).Run();
}

std::vector<std::string> NoteSpreadingWarnings(const NoteSpreading &s) {
  std::vector<std::string> warnings;
  if (s.notesCut)
    warnings.push_back(Counted("a note that IT lets play on under the next one is cut: all 64 channels "
                               "were taken",
                               s.notesCut));
  if (s.routingsLost)
    warnings.push_back(Counted("an order entry plays its pattern with the channels of another entry's notes: "
                               "no room for more patterns",
                               s.routingsLost));
  if (s.panningsLost)
    warnings.push_back(Counted("a note moved to a channel of its own for IT's new-note action plays at that "
                               "channel's panning: its cell had no room to set it",
                               s.panningsLost));
  return warnings;
}
