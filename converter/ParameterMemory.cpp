#include "ParameterMemory.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "ScreamWalk.h"

namespace {

constexpr size_t MostPatterns = 256;

// The values resolved for one order entry: (cell index, value), in cell order.
using Resolution = std::vector<std::pair<size_t, uint8_t>>;

void Apply(ScreamPattern &pattern, const Resolution &resolution) {
  for (const auto &[cell, value] : resolution)
    pattern.cells[cell].parameter = value;
}

class TMemoryResolution {
public:
  TMemoryResolution(ScreamSong &song, const ParameterMemoryTable &table)
      : song(song), table(table), channels(ScreamChannels(song)), resolved(song.orders.size()),
        memory(channels * (ScreamCommands + 1), 0) {}

  size_t Run() {
    // Per order entry, per cell: the value resolved there, -1 where none was.
    std::vector<std::vector<int16_t>> values(song.orders.size());
    for (const ScreamPlayedRow &played : ScreamRowsOfOnePass(song)) {
      const ScreamPattern &pattern = song.patterns[played.pattern];
      values[played.order].resize(pattern.cells.size(), -1);
      for (size_t c = 0; c < channels; ++c)
        Resolve(pattern.cells[played.row * channels + c], c, values[played.order][played.row * channels + c]);
    }
    for (size_t order = 0; order < values.size(); ++order)
      for (size_t cell = 0; cell < values[order].size(); ++cell)
        if (values[order][cell] >= 0)
          resolved[order].push_back({cell, uint8_t(values[order][cell])});
    PlaceResolutions();
    return conflicts;
  }

private:
  // A row a pattern loop plays again keeps the value of its first time.
  void Resolve(const ScreamCell &cell, size_t channel, int16_t &value) {
    const uint8_t which = cell.command <= ScreamCommands ? table.memory[cell.command] : 0;
    if (which == 0)
      return;
    uint8_t &remembered = memory[channel * (ScreamCommands + 1) + which];
    if (cell.parameter)
      remembered = cell.parameter;
    else if (value < 0)
      value = remembered;
    else if (value != remembered)
      ++conflicts;
  }

  // Each pattern takes the resolution of the first order entry that plays it; an
  // entry that resolves it otherwise gets a copy, or when none fits the first one.
  void PlaceResolutions() {
    std::vector<std::vector<std::pair<Resolution, size_t>>> versions(song.patterns.size());
    const size_t stored = song.patterns.size();
    for (size_t order = 0; order < song.orders.size(); ++order) {
      const uint8_t pattern = song.orders[order];
      if (pattern >= stored || resolved[order].empty())
        continue;
      auto &known = versions[pattern];
      const auto same =
          std::find_if(known.begin(), known.end(), [&](const auto &v) { return v.first == resolved[order]; });
      if (same != known.end()) {
        song.orders[order] = uint8_t(same->second);
      } else if (known.empty()) {
        known.push_back({resolved[order], pattern});
      } else if (song.patterns.size() < MostPatterns && song.patterns.size() < ScreamSkipOrder) {
        known.push_back({resolved[order], song.patterns.size()});
        song.patterns.push_back(song.patterns[pattern]);
        song.orders[order] = uint8_t(song.patterns.size() - 1);
      } else {
        conflicts += Differences(known.front().first, resolved[order]);
      }
    }
    for (const auto &known : versions)
      for (const auto &[resolution, pattern] : known)
        Apply(song.patterns[pattern], resolution);
  }

  // How many of `wanted`'s values `kept` has otherwise; both go by cell.
  static size_t Differences(const Resolution &kept, const Resolution &wanted) {
    Resolution differing;
    std::set_difference(wanted.begin(), wanted.end(), kept.begin(), kept.end(),
                        std::back_inserter(differing));
    return differing.size();
  }

  ScreamSong &song;
  const ParameterMemoryTable &table;
  const size_t channels;
  std::vector<Resolution> resolved;
  std::vector<uint8_t> memory; // per channel, per memory number
  size_t conflicts = 0;
};

} // namespace

ParameterMemoryTable ScreamTracker3Memory() {
  ParameterMemoryTable table;
  constexpr uint8_t Shared = 1, TonePortamento = 2, Offset = 3;
  for (char c : {'D', 'E', 'F', 'H', 'I', 'J', 'K', 'L', 'Q', 'R', 'S', 'T', 'U'})
    table.memory[ScreamCommand(c)] = Shared;
  table.memory[ScreamCommand('G')] = TonePortamento;
  table.memory[ScreamCommand('O')] = Offset;
  return table;
}

size_t ResolveParameterMemory(ScreamSong &song, const ParameterMemoryTable &table) {
  return TMemoryResolution(song, table).Run();
}
