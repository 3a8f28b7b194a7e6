#include "SampleReduction.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

std::vector<size_t> KeymapUses(const SongInstrument &instrument) {
  std::vector<size_t> uses(instrument.samples.size(), 0);
  for (size_t note = 0; note < KeymapNotes; ++note) {
    const uint8_t sample = uint8_t(instrument.extra[note]);
    if (sample < uses.size())
      ++uses[sample];
  }
  return uses;
}

// The samples to keep, in their old order: the named ones, or the 16 named most often.
std::vector<size_t> SamplesToKeep(const std::vector<size_t> &uses) {
  std::vector<size_t> named;
  for (size_t s = 0; s < uses.size(); ++s)
    if (uses[s] > 0)
      named.push_back(s);
  if (named.size() > MaxInstrumentSamples) {
    std::stable_sort(named.begin(), named.end(), [&](size_t a, size_t b) { return uses[a] > uses[b]; });
    named.resize(MaxInstrumentSamples);
    std::sort(named.begin(), named.end());
  }
  return named;
}

// Each note's sample in the kept numbering; a note whose sample is gone takes the
// sample of the nearest note that kept its own.
void RenumberKeymap(SongInstrument &instrument, const std::vector<size_t> &kept) {
  std::vector<int> newNumber(instrument.samples.size(), -1);
  for (size_t i = 0; i < kept.size(); ++i)
    newNumber[kept[i]] = int(i);
  std::vector<int> mapped(KeymapNotes, -1);
  for (size_t note = 0; note < KeymapNotes; ++note) {
    const uint8_t sample = uint8_t(instrument.extra[note]);
    mapped[note] = sample < newNumber.size() ? newNumber[sample] : -1;
  }
  for (size_t note = 0; note < KeymapNotes; ++note) {
    int best = 0;
    for (size_t distance = 0; distance < KeymapNotes; ++distance) {
      const long lower = long(note) - long(distance), upper = long(note + distance);
      if (lower >= 0 && mapped[size_t(lower)] >= 0) {
        best = mapped[size_t(lower)];
        break;
      }
      if (upper < long(KeymapNotes) && mapped[size_t(upper)] >= 0) {
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
  for (size_t i = 0; i < song.instruments.size(); ++i) {
    SongInstrument &instrument = song.instruments[i];
    if (instrument.samples.size() <= MaxInstrumentSamples)
      continue;
    const std::vector<size_t> uses = KeymapUses(instrument);
    const std::vector<size_t> kept = SamplesToKeep(uses);
    const size_t named = size_t(std::count_if(uses.begin(), uses.end(), [](size_t n) { return n > 0; }));
    if (named > MaxInstrumentSamples)
      warnings.push_back("instrument " + std::to_string(i + 1) + " (" + TrimmedName(instrument.name) +
                         ") has " + std::to_string(named) +
                         " samples in its keymap; the 16 it names most often stay, its " +
                         "other notes play the nearest kept sample");
    RenumberKeymap(instrument, kept);
    std::vector<SongSample> samples;
    for (size_t s : kept)
      samples.push_back(std::move(instrument.samples[s]));
    if (samples.empty()) // a keymap naming no sample plays the first
      samples.push_back(std::move(instrument.samples[0]));
    instrument.samples = std::move(samples);
  }
}
