#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Builds XM module bytes in memory for tests.
//
//   XmModuleSpec m;                       // 1 channel, order table {0}, tempo 6, bpm 125
//   m.channels = 2;
//   XmPatternSpec &p = m.addPattern(4);   // 4 rows x m.channels empty cells
//   p.cell(0, 1) = {49, 1, 0x40, 0, 0};   // row 0, channel 1: C-4, instrument 1, volume 48
//   XmInstrumentSpec &i = m.addInstrument();
//   XmSampleSpec &s = i.addSample({0, 1000, -1000});   // frame values, 16-bit unless set
//   s.loopType = 1; s.loopStart = 1; s.loopLength = 2;   // in frames
//   std::string bytes = writeXm(m);
//
// Samples are given as frame values; the writer stores them as deltas (or as 4-bit
// packed deltas when `packed4Bit` is set, from `packedDeltas`/`packedNibbles`).
// Everything that the loader reads can be overridden to write broken modules:
// the stored counts, header sizes, the packed-size field of a pattern, raw bytes
// appended after the module.

struct XmCellSpec {
  uint8_t note = 0, instrument = 0, volume = 0, effect = 0, parameter = 0;
};

struct XmPatternSpec {
  uint16_t rows = 64;
  int channels = 1;
  std::vector<XmCellSpec> cells;
  bool packed = true;       // mask-byte packing; false writes five bytes per cell
  int packedSizeField = -1; // -1: the real size
  XmCellSpec &cell(int row, int channel) { return cells[size_t(row) * channels + channel]; }
};

struct XmSampleSpec {
  std::vector<int16_t> frames; // 16-bit values; 8-bit samples use the high byte
  bool is16Bit = true;
  uint32_t loopStart = 0, loopLength = 0; // frames
  uint8_t loopType = 0;
  uint8_t volume = 64, panning = 128;
  int8_t finetune = 0, relativeNote = 0;
  bool packed4Bit = false;
  int8_t packedDeltas[16] = {};
  std::vector<uint8_t> packedNibbles; // bytes after the delta table
  // Raw header overrides (bytes; -1 keeps the value derived from the fields above).
  int64_t lengthField = -1, loopStartField = -1, loopLengthField = -1;
};

struct XmEnvelopeSpec {
  std::vector<std::pair<uint16_t, uint16_t>> points;
  uint8_t sustain = 0, loopStart = 0, loopEnd = 0, type = 0;
  int pointCountField = -1; // -1: points.size()
};

struct XmInstrumentSpec {
  std::string name; // empty: filler
  std::vector<XmSampleSpec> samples;
  uint8_t keymap[96] = {};
  XmEnvelopeSpec volumeEnvelope, panningEnvelope;
  uint8_t vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
  uint16_t fadeout = 0;
  int64_t headerSizeField = -1; // -1: 263 with samples, 33 without
  int sampleCountField = -1;    // -1: samples.size()
  uint32_t sampleHeaderSizeField = 40;
  XmSampleSpec &addSample(std::vector<int16_t> frames) {
    samples.emplace_back();
    samples.back().frames = std::move(frames);
    return samples.back();
  }
};

struct XmModuleSpec {
  std::string name, trackerName; // empty: filler
  int channels = 1;
  std::vector<uint8_t> orders{0};
  uint16_t restartPosition = 0, flags = 1, tempo = 6, bpm = 125;
  std::vector<XmPatternSpec> patterns;
  std::vector<XmInstrumentSpec> instruments;
  uint32_t headerSize = 276;
  int64_t songLengthField = -1, channelCountField = -1, patternCountField = -1, instrumentCountField = -1;
  std::string trailer; // appended after everything

  XmPatternSpec &addPattern(uint16_t rows) {
    patterns.emplace_back();
    XmPatternSpec &p = patterns.back();
    p.rows = rows;
    p.channels = channels;
    p.cells.resize(size_t(rows) * channels);
    return p;
  }
  XmInstrumentSpec &addInstrument() {
    instruments.emplace_back();
    return instruments.back();
  }
};

namespace xmwriter {

inline void put8(std::string &out, uint32_t v) { out.push_back(char(v & 0xFF)); }
inline void put16(std::string &out, uint32_t v) {
  put8(out, v);
  put8(out, v >> 8);
}
inline void put32(std::string &out, uint32_t v) {
  put16(out, v);
  put16(out, v >> 16);
}
inline uint32_t field(int64_t override, uint32_t derived) {
  return override >= 0 ? uint32_t(override) : derived;
}

// A fixed-width text field: the name padded with NULs, or all filler when there is none.
inline std::string textField(const std::string &name, size_t width, char filler) {
  std::string text = name.empty() ? std::string(width, filler) : name.substr(0, width);
  text.resize(width, '\0');
  return text;
}

inline std::string packCells(const XmPatternSpec &p) {
  std::string out;
  for (const XmCellSpec &c : p.cells) {
    const uint8_t bytes[5] = {c.note, c.instrument, c.volume, c.effect, c.parameter};
    if (!p.packed) {
      for (uint8_t b : bytes)
        put8(out, b);
      continue;
    }
    uint8_t mask = 0x80;
    for (int i = 0; i < 5; ++i)
      if (bytes[i])
        mask |= uint8_t(1 << i);
    put8(out, mask);
    for (int i = 0; i < 5; ++i)
      if (bytes[i])
        put8(out, bytes[i]);
  }
  return out;
}

inline void writePattern(std::string &out, const XmPatternSpec &p) {
  const std::string data = packCells(p);
  put32(out, 9);
  put8(out, 0);
  put16(out, p.rows);
  put16(out, field(p.packedSizeField, uint32_t(data.size())));
  if (p.packedSizeField != 0)
    out += data;
}

inline std::string sampleData(const XmSampleSpec &s) {
  std::string out;
  if (s.packed4Bit) {
    for (int8_t d : s.packedDeltas)
      put8(out, uint8_t(d));
    for (uint8_t b : s.packedNibbles)
      put8(out, b);
    return out;
  }
  int16_t previous = 0;
  for (int16_t v : s.frames) {
    const int16_t value = s.is16Bit ? v : int16_t(v >> 8);
    const uint16_t delta = uint16_t(value - previous);
    previous = value;
    if (s.is16Bit)
      put16(out, delta);
    else
      put8(out, delta);
  }
  return out;
}

inline void writeSampleHeader(std::string &out, const XmSampleSpec &s, uint32_t headerSize) {
  std::string h;
  const uint32_t unit = s.is16Bit ? 2 : 1;
  const uint32_t length = s.packed4Bit ? uint32_t(s.frames.size()) : uint32_t(s.frames.size()) * unit;
  put32(h, field(s.lengthField, length));
  put32(h, field(s.loopStartField, s.loopStart * unit));
  put32(h, field(s.loopLengthField, s.loopLength * unit));
  put8(h, s.volume);
  put8(h, uint8_t(s.finetune));
  put8(h, (s.loopType & 3) | (s.is16Bit ? 0x10 : 0));
  put8(h, s.panning);
  put8(h, uint8_t(s.relativeNote));
  put8(h, s.packed4Bit ? 0xAD : 0);
  h.append(22, 'S');
  h.resize(headerSize, '\0');
  out += h;
}

inline void writeEnvelopePoints(std::string &out, const XmEnvelopeSpec &e) {
  for (size_t i = 0; i < 12; ++i) {
    put16(out, i < e.points.size() ? e.points[i].first : 0);
    put16(out, i < e.points.size() ? e.points[i].second : 0);
  }
}

inline void writeInstrument(std::string &out, const XmInstrumentSpec &in) {
  const bool hasSamples = !in.samples.empty() || in.sampleCountField > 0;
  const uint32_t size = field(in.headerSizeField, hasSamples ? 263 : 33);
  put32(out, size);
  out += textField(in.name, 22, 'I');
  put8(out, 0);
  put16(out, field(in.sampleCountField, uint32_t(in.samples.size())));
  put32(out, in.sampleHeaderSizeField);
  if (hasSamples) {
    out.append(reinterpret_cast<const char *>(in.keymap), 96);
    writeEnvelopePoints(out, in.volumeEnvelope);
    writeEnvelopePoints(out, in.panningEnvelope);
    put8(out, field(in.volumeEnvelope.pointCountField, uint32_t(in.volumeEnvelope.points.size())));
    put8(out, field(in.panningEnvelope.pointCountField, uint32_t(in.panningEnvelope.points.size())));
    for (const XmEnvelopeSpec *e : {&in.volumeEnvelope, &in.panningEnvelope}) {
      put8(out, e->sustain);
      put8(out, e->loopStart);
      put8(out, e->loopEnd);
    }
    put8(out, in.volumeEnvelope.type);
    put8(out, in.panningEnvelope.type);
    put8(out, in.vibratoType);
    put8(out, in.vibratoSweep);
    put8(out, in.vibratoDepth);
    put8(out, in.vibratoRate);
    put16(out, in.fadeout);
    if (size > 241)
      out.append(size - 241, '\0');
  } else if (size > 33) {
    out.append(size - 33, '\0');
  } else {
    out.resize(out.size() - (33 - size)); // a short empty header: the next one overlaps
  }
  for (const XmSampleSpec &s : in.samples)
    writeSampleHeader(out, s, in.sampleHeaderSizeField);
  for (const XmSampleSpec &s : in.samples)
    out += sampleData(s);
}

} // namespace xmwriter

inline std::string writeXm(const XmModuleSpec &m) {
  using namespace xmwriter;
  std::string out = "Extended Module: ";
  out += textField(m.name, 20, 'M');
  put8(out, 0x1A);
  out += textField(m.trackerName, 20, 'T');
  put16(out, 0x0104);
  put32(out, m.headerSize);
  put16(out, field(m.songLengthField, uint32_t(m.orders.size())));
  put16(out, m.restartPosition);
  put16(out, field(m.channelCountField, uint32_t(m.channels)));
  put16(out, field(m.patternCountField, uint32_t(m.patterns.size())));
  put16(out, field(m.instrumentCountField, uint32_t(m.instruments.size())));
  put16(out, m.flags);
  put16(out, m.tempo);
  put16(out, m.bpm);
  std::string orders(256, '\0');
  std::memcpy(&orders[0], m.orders.data(), m.orders.size() < 256 ? m.orders.size() : 256);
  out += orders;
  out.resize(60 + m.headerSize, '\0');
  for (const XmPatternSpec &p : m.patterns)
    writePattern(out, p);
  for (const XmInstrumentSpec &in : m.instruments)
    writeInstrument(out, in);
  return out + m.trailer;
}
