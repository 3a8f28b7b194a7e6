#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// Builds MOD bytes in memory for tests.
//
//   ModSpec m;                                   // 4 channels, 31 samples, tag M.K., one order
//   m.samples.push_back({sineCycle(32), 0, 64, 0, 16});  // data, finetune, volume, loop fields
//   m.cell(0, 0, 1) = {428, 1, 0xF, 0x1F};       // pattern 0, row 0, channel 1: C-2, sample 1, F1F
//   std::string bytes = writeMod(m);
//
// `sampleSlots = 15` writes an untagged Soundtracker file. Loop fields are stored as
// given: words in 31-sample files, the loop start in bytes in 15-sample ones.

struct ModCellSpec {
  uint16_t period = 0;
  uint8_t sample = 0, effect = 0, parameter = 0;
};

struct ModSampleSpec {
  std::vector<int8_t> data; // an even number of bytes
  int finetune = 0;         // -8..7
  uint8_t volume = 64;
  uint16_t loopStartField = 0, loopLengthWords = 1;
  std::string name = "sample";
};

struct ModSpec {
  int channels = 4;     // channels stored in each pattern
  int sampleSlots = 31; // 31, or 15 for a file without a tag
  std::string tag = "M.K.";
  uint8_t restartByte = 127;
  std::vector<ModSampleSpec> samples;
  std::vector<uint8_t> orders{0};
  std::vector<std::vector<ModCellSpec>> patterns;
  size_t cutAt = std::string::npos; // the file ends there

  ModCellSpec &cell(size_t pattern, int row, int channel) {
    if (patterns.size() <= pattern)
      patterns.resize(pattern + 1, std::vector<ModCellSpec>(64 * size_t(channels)));
    return patterns[pattern][size_t(row) * size_t(channels) + size_t(channel)];
  }
};

inline std::string writeMod(ModSpec m) {
  auto put16be = [](std::string &out, uint32_t v) {
    out.push_back(char(v >> 8 & 0xFF));
    out.push_back(char(v & 0xFF));
  };
  if (m.patterns.empty())
    m.cell(0, 0, 0) = {};
  std::string out = std::string("test module").append(9, '\0');
  for (size_t s = 0; s < size_t(m.sampleSlots); ++s) {
    const ModSampleSpec none;
    const ModSampleSpec &sample = s < m.samples.size() ? m.samples[s] : none;
    out += sample.name.substr(0, 22) + std::string(22 - std::min<size_t>(22, sample.name.size()), '\0');
    put16be(out, uint32_t(sample.data.size() / 2));
    out.push_back(char(sample.finetune & 0x0F));
    out.push_back(char(sample.volume));
    put16be(out, sample.loopStartField);
    put16be(out, sample.loopLengthWords);
  }
  out.push_back(char(m.orders.size()));
  out.push_back(char(m.restartByte));
  std::string orders(128, '\0');
  for (size_t i = 0; i < m.orders.size(); ++i)
    orders[i] = char(m.orders[i]);
  out += orders + (m.sampleSlots == 31 ? m.tag : "");
  for (const auto &pattern : m.patterns)
    for (const ModCellSpec &c : pattern) {
      out.push_back(char((c.sample & 0xF0) | (c.period >> 8 & 0x0F)));
      out.push_back(char(c.period & 0xFF));
      out.push_back(char((c.sample & 0x0F) << 4 | (c.effect & 0x0F)));
      out.push_back(char(c.parameter));
    }
  for (const ModSampleSpec &s : m.samples)
    out.append(reinterpret_cast<const char *>(s.data.data()), s.data.size());
  return out.substr(0, m.cutAt);
}
