#include "ModReader.h"

#include <algorithm>

#include "ByteReader.h"
#include "ModLayout.h"

namespace {

// 15-sample files come from the first trackers, which count the loop start in
// bytes; the later ones count it in words, as every length.
ModSampleInfo ReadSampleInfo(TByteReader &in, bool loopStartInBytes) {
  ModSampleInfo s;
  s.name = in.Bytes(22);
  s.length = in.U16BigEndian() * 2u;
  const uint8_t finetune = in.U8() & 0x0F;
  s.finetune = finetune < 8 ? finetune : finetune - 16;
  s.volume = std::min(in.U8(), ModMaxVolume);
  s.loopStart = in.U16BigEndian() * (loopStartInBytes ? 1u : 2u);
  s.loopLength = in.U16BigEndian() * 2u;
  // One word of loop is the trackers' way of saying none.
  if (s.loopLength <= 2 || s.loopStart >= s.length)
    s.loopStart = s.loopLength = 0;
  s.loopLength = std::min(s.loopLength, s.length - s.loopStart);
  return s;
}

ModCell ReadCell(TByteReader &in) {
  const uint8_t b0 = in.U8(), b1 = in.U8(), b2 = in.U8(), b3 = in.U8();
  return {uint16_t((b0 & 0x0F) << 8 | b1), uint8_t((b0 & 0xF0) | b2 >> 4), uint8_t(b2 & 0x0F), b3};
}

// ProTracker stores as many patterns as the highest of all 128 orders names. Where
// garbage behind the song names more, the reference players count the song's own
// orders: when the file cannot hold the others, or when it is exactly as long as
// the song's patterns and the samples make it.
size_t StoredPatterns(const ModFile &file, size_t size, uint64_t sampleBytes) {
  const ModLayout &layout = file.layout;
  const size_t all = ModPatternsNamed(layout, file.orders, ModOrderEntries);
  const size_t song = ModPatternsNamed(layout, file.orders, file.songLength);
  if (size < ModPatternsEnd(layout, all) || size == ModPatternsEnd(layout, song) + sampleBytes)
    return song;
  return all;
}

void ReadPatterns(TByteReader &in, size_t stored, ModFile &file) {
  const ModLayout &layout = file.layout;
  const size_t channels = size_t(layout.channels);
  file.patterns.assign(layout.pairedPatterns ? stored / 2 : stored,
                       std::vector<ModCell>(ModRowsPerPattern * channels));
  for (size_t s = 0; s < stored; ++s) {
    std::vector<ModCell> &cells = file.patterns[layout.pairedPatterns ? s / 2 : s];
    const size_t firstChannel = layout.pairedPatterns ? (s % 2) * 4 : 0;
    const size_t storedChannels = layout.pairedPatterns ? 4 : channels;
    for (size_t row = 0; row < ModRowsPerPattern; ++row)
      for (size_t c = 0; c < storedChannels; ++c)
        cells[row * channels + firstChannel + c] = ReadCell(in);
  }
}

} // namespace

ModFileRead ReadModFile(const uint8_t *bytes, size_t size, const ModLayout &layout, ModFile &file) {
  TByteReader in(bytes, size);
  file.layout = layout;
  file.title = in.Bytes(ModTitleBytes);
  for (int s = 0; s < layout.samples; ++s)
    file.samples.push_back(ReadSampleInfo(in, layout.samples == 15));
  file.songLength = in.U8();
  file.restartByte = in.U8();
  for (uint8_t &order : file.orders)
    order = in.U8();
  if (in.WentPastEnd())
    return ModFileRead::CutShort;
  if (file.songLength == 0 || file.songLength > ModOrderEntries)
    return ModFileRead::BadSongLength;
  const size_t stored = StoredPatterns(file, size, ModSampleBytes(bytes, layout.samples));
  if (size < ModPatternsEnd(layout, stored))
    return ModFileRead::CutShort;
  in.Seek(ModPatternsEnd(layout, 0));
  ReadPatterns(in, stored, file);
  if (layout.pairedPatterns)
    for (uint8_t &order : file.orders)
      order /= 2;
  for (const ModSampleInfo &info : file.samples) {
    file.sampleBytes.push_back(in.BytesThere(info.length));
    file.missingSampleBytes += info.length - file.sampleBytes.back().size();
  }
  return ModFileRead::Read;
}
