#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Builds IT bytes in memory for tests, laid out as Impulse Tracker 2.14 saves them:
// header, orders, offsets, instruments, sample headers, packed patterns, then the
// sample data (signed, plain or compressed as IT 2.14 or 2.15 compresses it).
//
//   ItSpec s;                                        // 1 channel, instruments, linear slides
//   s.samples.push_back(ItSampleSpec::Cycle());      // a looped sine, C5 speed 8363
//   s.instruments.emplace_back();                    // every key plays sample 1
//   s.cell(0, 0, 0) = {ItNote(5, 0), 1, 32, 'H', 0x44}; // pattern 0, row 0, channel 0
//   std::string bytes = writeIt(s);

constexpr uint8_t ItNote(int octave, int semitone) { return uint8_t(octave * 12 + semitone); }
constexpr int ItNoNote = -1, ItNoVolume = -1;
constexpr uint8_t ItNoteOff = 255, ItNoteCut = 254, ItNoteFade = 246;

struct ItCellSpec {
  int note = ItNoNote;
  uint8_t instrument = 0;
  int volume = ItNoVolume; // the volume column's byte
  char command = 0;        // 'A'..'Z', 0 none
  uint8_t parameter = 0;
};

struct ItSampleSpec {
  std::vector<int16_t> frames; // 8-bit samples keep the high byte
  std::vector<int16_t> right;  // a stereo sample's right channel
  bool sixteenBit = false;
  int compression = 0; // 0, 214 or 215
  uint32_t c5Speed = 8363;
  uint8_t volume = 64, globalVolume = 64;
  int panning = -1; // 0..64, -1 none
  uint32_t loopStart = 0, loopEnd = 0, sustainStart = 0, sustainEnd = 0;
  bool pingPong = false;
  uint8_t vibrato[4] = {}; // speed, depth, rate, type
  int64_t lengthField = -1;

  static ItSampleSpec Cycle(uint32_t c5Speed = 8363, int frames = 32) {
    ItSampleSpec s;
    for (int i = 0; i < frames; ++i)
      s.frames.push_back(int16_t(i < frames / 2 ? 25600 : -25600));
    s.c5Speed = c5Speed;
    s.loopEnd = uint32_t(frames);
    return s;
  }
};

struct ItEnvelopeSpec {
  std::vector<std::pair<uint16_t, int8_t>> nodes; // tick, value
  bool loop = false, sustain = false;
  uint8_t loopStart = 0, loopEnd = 0, sustainStart = 0, sustainEnd = 0, extraFlags = 0;
};

struct ItInstrumentSpec {
  uint8_t newNoteAction = 0, duplicateCheck = 0, duplicateAction = 0;
  uint16_t fadeout = 0;
  uint8_t globalVolume = 128, panning = 32 | 128; // 128: not used
  std::pair<uint8_t, uint8_t> keyboard[120];      // note, sample
  ItEnvelopeSpec volume, panningEnvelope, pitch;
  ItInstrumentSpec() {
    for (int n = 0; n < 120; ++n)
      keyboard[n] = {uint8_t(n), 1};
  }
};

struct ItPatternSpec {
  uint16_t rows = 64;
  std::map<std::pair<int, int>, ItCellSpec> cells; // (row, channel)
};

struct ItSpec {
  uint16_t createdWith = 0x0214, compatibleWith = 0x0214;
  uint16_t flags = 1 | 4 | 8; // stereo, instruments, linear slides
  uint8_t globalVolume = 128, mixVolume = 48, speed = 6, tempo = 125, separation = 128;
  uint32_t reserved = 0;
  uint8_t channelPanning[64], channelVolume[64];
  std::vector<uint8_t> orders{0};
  std::vector<ItInstrumentSpec> instruments;
  std::vector<ItSampleSpec> samples;
  std::vector<ItPatternSpec> patterns;
  int orderCountField = -1, sampleCountField = -1;
  ItSpec() {
    for (int c = 0; c < 64; ++c)
      channelPanning[c] = 32, channelVolume[c] = 64;
  }
  ItCellSpec &cell(size_t pattern, int row, int channel) {
    if (patterns.size() <= pattern)
      patterns.resize(pattern + 1);
    return patterns[pattern].cells[{row, channel}];
  }
};

namespace itwriter {

inline void put8(std::string &o, uint32_t v) { o.push_back(char(v & 0xFF)); }
inline void put16(std::string &o, uint32_t v) { put8(o, v), put8(o, v >> 8); }
inline void put32(std::string &o, uint32_t v) { put16(o, v), put16(o, v >> 16); }

// IT's compression: per block, deltas (summed twice for 2.15) at the narrowest width
// that holds each, with the escapes that change the width.
class BitWriter {
public:
  void put(uint32_t value, unsigned width) {
    for (unsigned i = 0; i < width; ++i, ++bits) {
      if (bits % 8 == 0)
        bytes.push_back(0);
      bytes.back() = char(bytes.back() | ((value >> i & 1) << (bits % 8)));
    }
  }
  std::string bytes;

private:
  size_t bits = 0;
};

inline bool fits(int value, unsigned width, unsigned depth) {
  if (width == depth + 1)
    return true;
  const int half = 1 << (width - 1), room = width < 7 ? 1 : int(depth / 2);
  return value >= -half + room && value <= half - room - (width < 7 ? 0 : 1);
}

inline std::string compressBlock(const std::vector<int> &values, unsigned depth) {
  const unsigned widest = depth + 1;
  BitWriter w;
  unsigned width = widest;
  for (int v : values) {
    unsigned need = 1;
    while (!fits(v, need, depth))
      ++need;
    if (need != width) {
      const unsigned code = need < width ? need : need - 1;
      if (width < 7)
        w.put(1u << (width - 1), width), w.put(code - 1, depth == 8 ? 3 : 4);
      else if (width < widest)
        w.put((((1u << depth) - 1) >> (widest - width)) - depth / 2 + code, width);
      else
        w.put((1u << depth) | (need - 1), width);
      width = need;
    }
    // The widest width keeps its top bit clear: set, it would change the width.
    w.put(uint32_t(v) & ((1u << (width == widest ? depth : width)) - 1), width);
  }
  std::string out;
  put16(out, uint32_t(w.bytes.size()));
  return out + w.bytes;
}

inline int wrapped(int v, unsigned depth) {
  const int m = 1 << depth;
  v &= m - 1;
  return v >= m / 2 ? v - m : v;
}

inline std::string compress(const std::vector<int16_t> &frames, bool sixteenBit, bool secondOrder) {
  const unsigned depth = sixteenBit ? 16 : 8;
  const size_t block = sixteenBit ? 0x4000 : 0x8000;
  std::string out;
  for (size_t start = 0; start < frames.size(); start += block) {
    std::vector<int> values;
    int previous = 0, previousDelta = 0;
    for (size_t i = start; i < frames.size() && i < start + block; ++i) {
      const int x = sixteenBit ? frames[i] : frames[i] >> 8;
      const int delta = wrapped(x - previous, depth);
      previous = x;
      values.push_back(secondOrder ? wrapped(delta - previousDelta, depth) : delta);
      previousDelta = delta;
    }
    out += compressBlock(values, depth);
  }
  return out;
}

inline std::string sampleData(const ItSampleSpec &s) {
  if (s.compression)
    return compress(s.frames, s.sixteenBit, s.compression == 215) +
           (s.right.empty() ? "" : compress(s.right, s.sixteenBit, s.compression == 215));
  std::string out;
  for (const std::vector<int16_t> *side : {&s.frames, &s.right})
    for (int16_t v : *side)
      s.sixteenBit ? put16(out, uint16_t(v)) : put8(out, uint8_t(v >> 8));
  return out;
}

inline std::string sampleHeader(const ItSampleSpec &s, uint32_t pointer) {
  std::string h = "IMPS" + std::string(13, '\0');
  const uint8_t flags =
      uint8_t(1 | (s.sixteenBit ? 2 : 0) | (s.right.empty() ? 0 : 4) | (s.compression ? 8 : 0) |
              (s.loopEnd ? 16 : 0) | (s.sustainEnd ? 32 : 0) | (s.pingPong ? 64 : 0));
  put8(h, s.globalVolume), put8(h, flags), put8(h, s.volume);
  h += std::string(26, '\0');
  put8(h, 1 | (s.compression == 215 ? 4 : 0));
  put8(h, s.panning < 0 ? 32 : uint32_t(s.panning | 128));
  put32(h, s.lengthField >= 0 ? uint32_t(s.lengthField) : uint32_t(s.frames.size()));
  put32(h, s.loopStart), put32(h, s.loopEnd), put32(h, s.c5Speed);
  put32(h, s.sustainStart), put32(h, s.sustainEnd), put32(h, pointer);
  for (uint8_t v : s.vibrato)
    put8(h, v);
  return h;
}

inline std::string envelope(const ItEnvelopeSpec &e) {
  std::string out;
  put8(out, (e.nodes.empty() ? 0 : 1) | (e.loop ? 2 : 0) | (e.sustain ? 4 : 0) | e.extraFlags);
  put8(out, uint32_t(e.nodes.size()));
  put8(out, e.loopStart), put8(out, e.loopEnd), put8(out, e.sustainStart), put8(out, e.sustainEnd);
  for (size_t i = 0; i < 25; ++i) {
    put8(out, i < e.nodes.size() ? uint8_t(e.nodes[i].second) : 0);
    put16(out, i < e.nodes.size() ? e.nodes[i].first : 0);
  }
  put8(out, 0);
  return out;
}

inline std::string instrument(const ItInstrumentSpec &i) {
  std::string h = "IMPI" + std::string(13, '\0');
  put8(h, i.newNoteAction), put8(h, i.duplicateCheck), put8(h, i.duplicateAction);
  put16(h, i.fadeout);
  put8(h, 0), put8(h, 60), put8(h, i.globalVolume), put8(h, i.panning), put8(h, 0), put8(h, 0);
  put16(h, 0x0214), put8(h, 0), put8(h, 0);
  h += std::string(26, '\0');
  put8(h, 0), put8(h, 0), put8(h, 0), put8(h, 0), put16(h, 0);
  for (const auto &[note, sample] : i.keyboard)
    put8(h, note), put8(h, sample);
  h += envelope(i.volume) + envelope(i.panningEnvelope) + envelope(i.pitch);
  h.resize(554, '\0');
  return h;
}

// Cells packed as IT packs them: a channel's mask byte only where it changes, and
// the "last value" bits where a part repeats the channel's last.
inline std::string pattern(const ItPatternSpec &p) {
  std::string data;
  std::map<int, std::pair<int, ItCellSpec>> last; // channel -> mask, cell
  for (int row = 0; row < p.rows; ++row) {
    for (auto it = p.cells.lower_bound({row, 0}); it != p.cells.end() && it->first.first == row; ++it) {
      const int channel = it->first.second;
      const ItCellSpec &c = it->second;
      auto &[lastMask, lastCell] = last[channel];
      std::string body;
      int mask = 0;
      const auto part = [&](bool present, bool same, int bit, const std::string &bytes) {
        if (!present)
          return;
        if (same && lastMask >= 0)
          mask |= bit << 4;
        else
          mask |= bit, body += bytes;
      };
      part(c.note != ItNoNote, c.note == lastCell.note, 1, std::string(1, char(c.note)));
      part(c.instrument != 0, c.instrument == lastCell.instrument, 2, std::string(1, char(c.instrument)));
      part(c.volume != ItNoVolume, c.volume == lastCell.volume, 4, std::string(1, char(c.volume)));
      part(c.command != 0, c.command == lastCell.command && c.parameter == lastCell.parameter, 8,
           std::string{char(c.command - 'A' + 1), char(c.parameter)});
      if (mask == 0)
        continue;
      put8(data, uint32_t(channel + 1) | (mask != lastMask ? 0x80 : 0));
      if (mask != lastMask)
        put8(data, uint32_t(mask));
      data += body;
      lastMask = mask;
      if (mask & 1)
        lastCell.note = c.note;
      if (mask & 2)
        lastCell.instrument = c.instrument;
      if (mask & 4)
        lastCell.volume = c.volume;
      if (mask & 8)
        lastCell.command = c.command, lastCell.parameter = c.parameter;
    }
    put8(data, 0);
  }
  std::string out;
  put16(out, uint32_t(data.size())), put16(out, p.rows), put32(out, 0);
  return out + data;
}

} // namespace itwriter

inline std::string writeIt(const ItSpec &s) {
  using namespace itwriter;
  std::string h = "IMPM" + std::string(26, '\0') + "\x04\x10";
  put16(h, s.orderCountField >= 0 ? uint32_t(s.orderCountField) : uint32_t(s.orders.size()));
  put16(h, uint32_t(s.instruments.size()));
  put16(h, s.sampleCountField >= 0 ? uint32_t(s.sampleCountField) : uint32_t(s.samples.size()));
  put16(h, uint32_t(s.patterns.size()));
  put16(h, s.createdWith), put16(h, s.compatibleWith), put16(h, s.flags), put16(h, 0);
  put8(h, s.globalVolume), put8(h, s.mixVolume), put8(h, s.speed), put8(h, s.tempo), put8(h, s.separation);
  put8(h, 0), put16(h, 0), put32(h, 0), put32(h, s.reserved);
  h.append(reinterpret_cast<const char *>(s.channelPanning), 64);
  h.append(reinterpret_cast<const char *>(s.channelVolume), 64);
  for (uint8_t o : s.orders)
    put8(h, o);
  const size_t tables = h.size() + 4 * (s.instruments.size() + s.samples.size() + s.patterns.size());
  std::string body;
  std::vector<uint32_t> offsets;
  for (const ItInstrumentSpec &i : s.instruments)
    offsets.push_back(uint32_t(tables + body.size())), body += instrument(i);
  const size_t sampleHeaders = tables + body.size();
  body += std::string(0x50 * s.samples.size(), '\0');
  for (size_t i = 0; i < s.samples.size(); ++i)
    offsets.push_back(uint32_t(sampleHeaders + 0x50 * i));
  for (const ItPatternSpec &p : s.patterns)
    offsets.push_back(uint32_t(tables + body.size())), body += pattern(p);
  for (size_t i = 0; i < s.samples.size(); ++i) {
    body.replace(sampleHeaders - tables + 0x50 * i, 0x50,
                 sampleHeader(s.samples[i], uint32_t(tables + body.size())));
    body += sampleData(s.samples[i]);
  }
  for (uint32_t o : offsets)
    put32(h, o);
  return h + body;
}
