#include "SampleReduction.h"

#include <algorithm>
#include <cstdint>

namespace {

// Where a keymap entry names no sample, FT2 plays nothing, and so does the player
// for an entry past its 16 samples.
constexpr uint8_t NoSample = 0xFF;

using Reach = std::vector<std::vector<size_t>>; // per instrument, per sample: notes that play it

// How often the song's notes play each sample: a note plays the sample its
// instrument's keymap names for it; a note without an instrument number, the
// instrument last named on its channel in the pattern.
Reach NotesPerSample(const Song &song) {
  Reach reach(song.instruments.size());
  for (size_t i = 0; i < reach.size(); ++i)
    reach[i].assign(song.instruments[i].samples.size(), 0);
  for (const SongPattern &pattern : song.patterns) {
    std::vector<uint8_t> instrument(song.channels, 0);
    for (size_t cell = 0; cell < pattern.cells.size(); ++cell) {
      const SongCell &c = pattern.cells[cell];
      uint8_t &playing = instrument[cell % song.channels];
      if (c.instrument)
        playing = c.instrument;
      if (c.note < 1 || c.note > LastNote || playing == 0 || playing > reach.size())
        continue;
      const uint8_t sample = uint8_t(song.instruments[playing - 1].extra[c.note - 1u]);
      if (sample < reach[playing - 1].size())
        ++reach[playing - 1][sample];
    }
  }
  return reach;
}

// For an instrument no note plays: how often its keymap names each sample.
std::vector<size_t> KeymapUses(const SongInstrument &instrument) {
  std::vector<size_t> uses(instrument.samples.size(), 0);
  for (size_t note = 0; note < XmKeymapNotes; ++note) {
    const uint8_t sample = uint8_t(instrument.extra[note]);
    if (sample < uses.size())
      ++uses[sample];
  }
  return uses;
}

// The samples to keep, in their old order: those played, or the 16 played most often.
std::vector<size_t> SamplesToKeep(const std::vector<size_t> &uses) {
  std::vector<size_t> played;
  for (size_t s = 0; s < uses.size(); ++s)
    if (uses[s] > 0)
      played.push_back(s);
  if (played.size() > XmMaxInstrumentSamples) {
    std::stable_sort(played.begin(), played.end(), [&](size_t a, size_t b) { return uses[a] > uses[b]; });
    played.resize(XmMaxInstrumentSamples);
    std::sort(played.begin(), played.end());
  }
  return played;
}

// Each note's sample in the kept numbering. A note whose sample is gone takes the
// sample of the nearest note that kept its own; one that named no sample stays silent.
void RenumberKeymap(SongInstrument &instrument, const std::vector<size_t> &kept) {
  std::vector<int> newNumber(instrument.samples.size(), -1);
  for (size_t i = 0; i < kept.size(); ++i)
    newNumber[kept[i]] = int(i);
  std::vector<int> mapped(XmKeymapNotes, -1);
  for (size_t note = 0; note < XmKeymapNotes; ++note) {
    const uint8_t sample = uint8_t(instrument.extra[note]);
    mapped[note] = sample < newNumber.size() ? newNumber[sample] : -1;
  }
  for (size_t note = 0; note < XmKeymapNotes; ++note) {
    if (uint8_t(instrument.extra[note]) >= newNumber.size()) {
      instrument.extra[note] = char(NoSample);
      continue;
    }
    int best = 0;
    for (size_t distance = 0; distance < XmKeymapNotes; ++distance) {
      const long lower = long(note) - long(distance), upper = long(note + distance);
      if (lower >= 0 && mapped[size_t(lower)] >= 0) {
        best = mapped[size_t(lower)];
        break;
      }
      if (upper < long(XmKeymapNotes) && mapped[size_t(upper)] >= 0) {
        best = mapped[size_t(upper)];
        break;
      }
    }
    instrument.extra[note] = char(best);
  }
}

std::string TrimmedName(const std::string &name) {
  std::string text = name.substr(0, name.find('\0'));
  while (!text.empty() && text.back() == ' ')
    text.pop_back();
  return text;
}

} // namespace

void ReduceInstrumentSamples(Song &song, std::vector<std::string> &warnings) {
  const Reach reach = NotesPerSample(song);
  for (size_t i = 0; i < song.instruments.size(); ++i) {
    SongInstrument &instrument = song.instruments[i];
    if (instrument.samples.size() <= XmMaxInstrumentSamples)
      continue;
    const bool played = std::any_of(reach[i].begin(), reach[i].end(), [](size_t n) { return n > 0; });
    const std::vector<size_t> uses = played ? reach[i] : KeymapUses(instrument);
    const std::vector<size_t> kept = SamplesToKeep(uses);
    const size_t used = size_t(std::count_if(uses.begin(), uses.end(), [](size_t n) { return n > 0; }));
    if (played && used > XmMaxInstrumentSamples)
      warnings.push_back("instrument " + std::to_string(i + 1) + " (" + TrimmedName(instrument.name) +
                         ") plays " + std::to_string(used) +
                         " samples; the 16 its notes play most often stay, its other notes play the "
                         "nearest kept sample");
    RenumberKeymap(instrument, kept);
    std::vector<SongSample> samples;
    for (size_t s : kept)
      samples.push_back(std::move(instrument.samples[s]));
    if (samples.empty()) // an instrument without notes or keymap keeps its first sample
      samples.push_back(std::move(instrument.samples[0]));
    instrument.samples = std::move(samples);
  }
}
