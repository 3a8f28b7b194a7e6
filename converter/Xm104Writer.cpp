#include "Xm104Writer.h"

#include "ByteWriter.h"

namespace {

constexpr uint32_t HeaderSize = 276;

// Mask-byte packing; an empty cell is one byte.
std::string PackCells(const SongPattern &pattern) {
  std::string out;
  for (const SongCell &c : pattern.cells) {
    const uint8_t bytes[5] = {c.note, c.instrument, c.volume, c.effect, c.parameter};
    uint8_t mask = 0x80;
    for (int i = 0; i < 5; ++i)
      if (bytes[i])
        mask |= uint8_t(1 << i);
    Put8(out, mask);
    for (uint8_t b : bytes)
      if (b)
        Put8(out, b);
  }
  return out;
}

bool PutPattern(std::string &out, const SongPattern &pattern) {
  const std::string data = PackCells(pattern);
  if (data.size() > 0xFFFF)
    return false;
  Put32(out, XmPatternHeaderBytes);
  Put8(out, 0);
  Put16(out, pattern.rows);
  Put16(out, uint32_t(data.size()));
  out += data;
  return true;
}

void PutInstrument(std::string &out, const SongInstrument &instrument) {
  const bool hasSamples = !instrument.samples.empty();
  Put32(out, hasSamples ? XmInstrumentHeaderBytes : XmInstrumentHeadBytes);
  out += instrument.name;
  Put8(out, instrument.type);
  Put16(out, uint32_t(instrument.samples.size()));
  Put32(out, XmSampleHeaderBytes);
  if (!hasSamples)
    return;
  out += instrument.extra;
  out.append(XmInstrumentHeaderBytes - XmInstrumentHeadBytes - XmInstrumentBodyBytes, '\0');
  for (const SongSample &s : instrument.samples)
    out += s.header;
  for (const SongSample &s : instrument.samples)
    out += s.data;
}

} // namespace

std::string WriteXm104(const Song &song) {
  std::string out = "Extended Module: ";
  out += song.name;
  Put8(out, 0x1A);
  out += song.tracker;
  Put16(out, XmCurrentVersion);
  Put32(out, HeaderSize);
  Put16(out, song.songLength);
  Put16(out, song.restartPosition);
  Put16(out, song.channels);
  Put16(out, uint32_t(song.patterns.size()));
  Put16(out, uint32_t(song.instruments.size()));
  Put16(out, song.flags);
  Put16(out, song.tempo);
  Put16(out, song.bpm);
  out.append(reinterpret_cast<const char *>(song.orders), 256);
  for (const SongPattern &p : song.patterns)
    if (!PutPattern(out, p))
      return std::string();
  for (const SongInstrument &i : song.instruments)
    PutInstrument(out, i);
  return out;
}
