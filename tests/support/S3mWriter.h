#pragma once
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Builds S3M bytes in memory for tests, laid out as Scream Tracker 3 saves them:
// header, orders, parapointers, pan table, instrument headers, packed patterns,
// then the sample data (unsigned 8-bit).
//
//   S3mSpec s;                                        // 2 channels: L1 and R1
//   s.samples.push_back({sineCycle, 8363, 64, true}); // data, C4 speed, volume, loop
//   s.cell(0, 0, 0) = {S3mNote(4, 0), 1, 0xFF, 'D', 0x04}; // pattern 0, row 0, channel 0: C-4, D04
//   std::string bytes = writeS3m(s);

constexpr uint8_t S3mNote(int octave, int semitone) { return uint8_t(octave << 4 | semitone); }
constexpr uint8_t S3mNoteCut = 254, S3mNoNote = 255, S3mNoVolume = 255;

struct S3mCellSpec {
  uint8_t note = S3mNoNote, instrument = 0, volume = S3mNoVolume;
  char command = 0; // 'A'..'Z', 0 none
  uint8_t parameter = 0;
};

struct S3mSampleSpec {
  std::vector<int8_t> data;
  uint32_t c4Speed = 8363;
  uint8_t volume = 64;
  bool loop = false;
};

struct S3mSpec {
  std::vector<uint8_t> channelSettings{0, 8}; // L1, R1
  std::vector<uint8_t> panTable;              // stored when not empty
  std::vector<uint8_t> orders{0};
  std::vector<S3mSampleSpec> samples;
  std::vector<std::map<std::pair<int, int>, S3mCellSpec>> patterns; // (row, channel) -> cell
  uint8_t speed = 6, tempo = 125, globalVolume = 64, masterVolume = 0xB0;
  uint16_t flags = 0, trackerVersion = 0x1320;
  uint16_t instrumentCountField = 0xFFFF; // the count as stored, or the samples' count
  size_t cutAt = std::string::npos;

  S3mCellSpec &cell(size_t pattern, int row, int channel) {
    if (patterns.size() <= pattern)
      patterns.resize(pattern + 1);
    return patterns[pattern][{row, channel}];
  }
};

inline std::string writeS3m(const S3mSpec &s) {
  auto put16 = [](std::string &out, size_t at, uint32_t v) {
    out[at] = char(v & 0xFF);
    out[at + 1] = char(v >> 8 & 0xFF);
  };
  auto put32 = [&](std::string &out, size_t at, uint32_t v) {
    put16(out, at, v & 0xFFFF);
    put16(out, at + 2, v >> 16);
  };
  auto align = [](std::string &out) { out.resize((out.size() + 15) / 16 * 16, '\0'); };
  std::vector<uint8_t> orders = s.orders;
  if (orders.size() % 2)
    orders.push_back(255);
  const size_t patterns = std::max<size_t>(1, s.patterns.size());
  std::string out(0x60, '\0');
  out.replace(0, 4, "test");
  out[0x1C] = 0x1A;
  out[0x1D] = 16;
  put16(out, 0x20, uint32_t(orders.size()));
  put16(out, 0x22, s.instrumentCountField == 0xFFFF ? uint32_t(s.samples.size()) : s.instrumentCountField);
  put16(out, 0x24, uint32_t(patterns));
  put16(out, 0x26, s.flags);
  put16(out, 0x28, s.trackerVersion);
  put16(out, 0x2A, 2); // unsigned samples
  out.replace(0x2C, 4, "SCRM");
  out[0x30] = char(s.globalVolume);
  out[0x31] = char(s.speed);
  out[0x32] = char(s.tempo);
  out[0x33] = char(s.masterVolume);
  out[0x35] = char(s.panTable.empty() ? 0 : 252);
  for (size_t c = 0; c < 32; ++c)
    out[0x40 + c] = char(c < s.channelSettings.size() ? s.channelSettings[c] : 255);
  out.append(orders.begin(), orders.end());
  const size_t instrumentPointers = out.size();
  out.append(2 * s.samples.size(), '\0');
  const size_t patternPointers = out.size();
  out.append(2 * patterns, '\0');
  if (!s.panTable.empty()) {
    std::string pan(32, '\0');
    std::copy(s.panTable.begin(), s.panTable.end(), pan.begin());
    out += pan;
  }
  std::vector<size_t> headers;
  for (size_t i = 0; i < s.samples.size(); ++i) {
    align(out);
    put16(out, instrumentPointers + 2 * i, uint32_t(out.size() / 16));
    headers.push_back(out.size());
    out.append(0x50, '\0');
  }
  for (size_t p = 0; p < patterns; ++p) {
    align(out);
    put16(out, patternPointers + 2 * p, uint32_t(out.size() / 16));
    std::string packed;
    for (int row = 0; row < 64; ++row) {
      if (p < s.patterns.size())
        for (const auto &[at, c] : s.patterns[p]) {
          if (at.first != row)
            continue;
          uint8_t what = uint8_t(at.second);
          what |= c.note != S3mNoNote || c.instrument ? 0x20 : 0;
          what |= c.volume != S3mNoVolume ? 0x40 : 0;
          what |= c.command ? 0x80 : 0;
          packed.push_back(char(what));
          if (what & 0x20)
            packed += {char(c.note), char(c.instrument)};
          if (what & 0x40)
            packed.push_back(char(c.volume));
          if (what & 0x80)
            packed += {char(c.command - 'A' + 1), char(c.parameter)};
        }
      packed.push_back('\0');
    }
    std::string length(2, '\0');
    put16(length, 0, uint32_t(packed.size() + 2));
    out += length + packed;
  }
  for (size_t i = 0; i < s.samples.size(); ++i) {
    const S3mSampleSpec &sample = s.samples[i];
    align(out);
    std::string h(0x50, '\0');
    h[0] = 1;
    const uint32_t at = uint32_t(out.size() / 16);
    h[0x0D] = char(at >> 16);
    put16(h, 0x0E, at & 0xFFFF);
    put32(h, 0x10, uint32_t(sample.data.size()));
    put32(h, 0x18, sample.loop ? uint32_t(sample.data.size()) : 0);
    h[0x1C] = char(sample.volume);
    h[0x1F] = char(sample.loop ? 1 : 0);
    put32(h, 0x20, sample.c4Speed);
    h.replace(0x4C, 4, "SCRS");
    out.replace(headers[i], 0x50, h);
    for (int8_t v : sample.data)
      out.push_back(char(uint8_t(v) ^ 0x80));
  }
  return out.substr(0, s.cutAt);
}
