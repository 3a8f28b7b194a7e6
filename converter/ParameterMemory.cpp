#include "ParameterMemory.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "ScreamWalk.h"

namespace {

constexpr size_t MostPatterns = 256;

// Impulse Tracker's volume column: its commands' ranges, of ten values each.
namespace ImpulseVolume {
constexpr uint8_t FineUp = 65, PitchDown = 105, PitchEnd = 125, Portamento = 193, Vibrato = 203, Last = 212;
constexpr uint8_t PortamentoSpeeds[10] = {0, 1, 4, 8, 16, 32, 64, 96, 128, 255};

// Dxx's parameter for a..d (fine up, fine down, up, down) by `x`.
uint8_t SlideParameter(uint8_t kind, uint8_t x) {
  switch (kind) {
  case 0: return uint8_t(x << 4 | 0x0F);
  case 1: return uint8_t(0xF0 | x);
  case 2: return uint8_t(x << 4);
  default: return x;
  }
}

uint8_t NearestSpeed(uint8_t speed) {
  uint8_t best = 0;
  for (uint8_t i = 1; i < 10; ++i)
    if (std::abs(PortamentoSpeeds[i] - speed) < std::abs(PortamentoSpeeds[best] - speed))
      best = i;
  return speed ? std::max<uint8_t>(best, 1) : 0;
}
} // namespace ImpulseVolume

// The values resolved for one order entry: (cell index, value), in cell order.
using Resolution = std::vector<std::pair<size_t, uint8_t>>;

// A resolution's cell index with this bit set names the cell's volume column
// (Impulse Tracker's), which has memories of its own.
constexpr size_t VolumeColumn = size_t(1) << (sizeof(size_t) * 8 - 1);

void Apply(ScreamPattern &pattern, const Resolution &resolution) {
  for (const auto &[cell, value] : resolution) {
    if (cell & VolumeColumn)
      pattern.cells[cell & ~VolumeColumn].volume = value;
    else
      pattern.cells[cell].parameter = value;
  }
}

class TMemoryResolution {
public:
  TMemoryResolution(ScreamSong &song, const ParameterMemoryTable &table)
      : song(song), table(table), channels(ScreamChannels(song)), resolved(song.orders.size()),
        memory(channels * (ScreamCommands + 1), 0) {}

  size_t Run() {
    // Per order entry, per cell: the value resolved there, -1 where none was.
    std::vector<std::vector<int16_t>> values(song.orders.size()), volumes(song.orders.size());
    for (const ScreamPlayedRow &played : ScreamRowsOfOnePass(song)) {
      const ScreamPattern &pattern = song.patterns[played.pattern];
      values[played.order].resize(pattern.cells.size(), -1);
      if (table.volumeColumn)
        volumes[played.order].resize(pattern.cells.size(), -1);
      for (size_t c = 0; c < channels; ++c) {
        const size_t index = played.row * channels + c;
        if (table.volumeColumn)
          ResolveVolumeColumn(pattern.cells[index], c, volumes[played.order][index]);
        Resolve(pattern.cells[index], c, values[played.order][index]);
      }
    }
    for (size_t order = 0; order < values.size(); ++order) {
      for (size_t cell = 0; cell < values[order].size(); ++cell)
        if (values[order][cell] >= 0)
          resolved[order].push_back({cell, uint8_t(values[order][cell])});
      for (size_t cell = 0; cell < volumes[order].size(); ++cell)
        if (volumes[order][cell] >= 0)
          resolved[order].push_back({cell | VolumeColumn, uint8_t(volumes[order][cell])});
    }
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

  uint8_t &Memory(size_t channel, uint8_t which) { return memory[channel * (ScreamCommands + 1) + which]; }

  // Impulse Tracker's volume column: a..d (fine and normal volume slides) take a 0
  // from a memory of their own and give their value to Dxx's as well; e and f
  // (pitch slides of four times the value) share Exx's, g (a tone portamento at one
  // of ten speeds) Gxx's, and h (a vibrato depth) Hxx's. `value` is the volume
  // byte resolved for the cell, as for Resolve.
  void ResolveVolumeColumn(const ScreamCell &cell, size_t channel, int16_t &value) {
    const uint8_t v = cell.volume;
    if (v < ImpulseVolume::FineUp || v > ImpulseVolume::Last ||
        (v >= ImpulseVolume::PitchEnd && v < ImpulseVolume::Portamento))
      return;
    const bool slide = v < ImpulseVolume::PitchDown, pitch = v < ImpulseVolume::PitchEnd;
    const bool portamento = !pitch && v < ImpulseVolume::Vibrato;
    const uint8_t base = slide        ? ImpulseVolume::FineUp
                         : pitch      ? ImpulseVolume::PitchDown
                         : portamento ? ImpulseVolume::Portamento
                                      : ImpulseVolume::Vibrato;
    const uint8_t kind = uint8_t((v - base) / 10), x = uint8_t((v - base) % 10);
    uint8_t &own = Memory(channel, slide ? table.volumeColumn
                                         : table.memory[ScreamCommand(pitch        ? 'E'
                                                                      : portamento ? 'G'
                                                                                   : 'H')]);
    if (x) {
      if (slide)
        Memory(channel, table.memory[ScreamCommand('D')]) = ImpulseVolume::SlideParameter(kind, x);
      own = slide        ? x
            : pitch      ? uint8_t(4 * x)
            : portamento ? ImpulseVolume::PortamentoSpeeds[x]
                         : uint8_t((own & 0xF0) | x);
      return;
    }
    const uint8_t remembered = slide        ? own
                               : pitch      ? uint8_t(std::clamp((own + 2) / 4, 0, 9))
                               : portamento ? ImpulseVolume::NearestSpeed(own)
                                            : uint8_t(own & 0x0F);
    if (remembered == 0)
      return;
    const int16_t byte = int16_t(base + kind * 10 + std::min<uint8_t>(remembered, 9));
    if (value < 0)
      value = byte;
    else if (value != byte)
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

ParameterMemoryTable ImpulseTrackerMemory(const ScreamFlags &flags) {
  ParameterMemoryTable table;
  uint8_t next = 1;
  // T00 slides nothing: Impulse Tracker keeps no memory for the tempo slide.
  for (char c : {'D', 'E', 'H', 'I', 'J', 'N', 'O', 'P', 'Q', 'R', 'S', 'W', 'Y'})
    table.memory[ScreamCommand(c)] = next++;
  table.memory[ScreamCommand('F')] = table.memory[ScreamCommand('E')];
  table.memory[ScreamCommand('G')] = flags.compatibleGxx ? next++ : table.memory[ScreamCommand('E')];
  table.memory[ScreamCommand('K')] = table.memory[ScreamCommand('L')] = table.memory[ScreamCommand('D')];
  table.memory[ScreamCommand('U')] = table.memory[ScreamCommand('H')];
  table.volumeColumn = next++;
  return table;
}

size_t ResolveParameterMemory(ScreamSong &song, const ParameterMemoryTable &table) {
  return TMemoryResolution(song, table).Run();
}
