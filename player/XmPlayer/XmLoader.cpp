#include "XmLoader.h"

#include <cstddef>
#include <cstring>

#include "Limits.h"
#include "XmState.h"

namespace {

constexpr uint32_t SampleRecordBytes = offsetof(XmSample, data);
static_assert(offsetof(XmInstrument, fadeout) + 2 - offsetof(XmInstrument, keymap) == XmInstrumentBodyBytes,
              "the instrument body is read as it stands in the file");

uint16_t le16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t *p) { return uint32_t(le16(p)) | uint32_t(le16(p + 2)) << 16; }

struct Loader {
  ModuleSource &source;
  const SongHeap &heap;
  uint16_t storedPatterns = 0;

  template <typename T> T *allocate(size_t count) {
    return static_cast<T *>(allocateFromSong(heap, sizeof(T) * count));
  }
  uint8_t readByte() {
    uint8_t b = 0;
    readSource(source, &b, 1);
    return b;
  }

  XmRejection readHeader();
  uint16_t patternTableSize() const;
  XmRejection allocateSongStorage();
  XmRejection readPattern(XmPattern &pattern);
  void readCell(XmCell &cell);
  XmRejection fillUnstoredPatterns();
  XmRejection readInstrument(XmInstrument &instrument);
  XmRejection readSampleHeader(uint32_t headerSize, XmSample *&sample);
  void readSampleData(XmSample &sample);
  void readPlainDeltas(XmSample &sample);
  void readPacked4Bit(XmSample &sample);
};

// Header bytes 64..335 hold the counts, speed and order table.
XmRejection Loader::readHeader() {
  uint8_t header[336] = {};
  readSource(source, header, sizeof header);
  seekSource(source, 60 + int64_t(le32(header + 60)), false);
  song.songLength = le16(header + 64);
  song.restartPosition = le16(header + 66);
  song.storedChannelCount = le16(header + 68);
  storedPatterns = le16(header + 70);
  song.instrumentCount = header[72];
  song.flags = le16(header + 74);
  song.defaultTempo = le16(header + 76);
  song.defaultBpm = le16(header + 78);
  std::memcpy(song.orderTable, header + 80, sizeof song.orderTable);
  if (storedPatterns == 0)
    return XmNoPatterns;
  if (song.songLength == 0 || song.songLength > 256)
    return XmBadSongLength;
  const uint8_t channels = uint8_t(song.storedChannelCount);
  song.channelCount = channels > 64 ? 0 : channels;
  song.patternCount = patternTableSize();
  return song.channelCount != 0 ? XmAccepted : XmBadChannelCount;
}

// Patterns named by the order table but not stored still get entries.
uint16_t Loader::patternTableSize() const {
  uint32_t maxUsed = 0;
  for (uint32_t i = 0; i < song.songLength; ++i)
    maxUsed = maxOf<uint32_t>(maxUsed, song.orderTable[i]);
  return uint16_t(maxOf<uint32_t>(maxUsed + 1, storedPatterns));
}

// One block for everything whose size the header fixes.
XmRejection Loader::allocateSongStorage() {
  const size_t channels = size_t(song.channelCount);
  const size_t bytes = sizeof(MixVoice) * 2 * channels + sizeof(ReplayChannel) * channels +
                       sizeof(XmPattern) * song.patternCount + sizeof(XmInstrument) * song.instrumentCount;
  uint8_t *block = allocate<uint8_t>(bytes);
  if (!block)
    return XmOutOfMemory;
  song.voices = reinterpret_cast<MixVoice *>(block);
  song.channels = reinterpret_cast<ReplayChannel *>(song.voices + 2 * channels);
  song.patterns = reinterpret_cast<XmPattern *>(song.channels + channels);
  song.instruments = reinterpret_cast<XmInstrument *>(song.patterns + song.patternCount);
  for (size_t i = 0; i < channels; ++i)
    song.channels[i].voice = &song.voices[2 * i];
  return XmAccepted;
}

// A mask byte (bit 7) says which of the five bytes follow; otherwise it is the note
// and all four others follow.
void Loader::readCell(XmCell &cell) {
  uint8_t *fields = &cell.note;
  const uint8_t first = readByte();
  if (first & 0x80) {
    for (int i = 0; i < 5; ++i)
      if (first & (1 << i))
        fields[i] = readByte();
  } else {
    cell.note = first;
    readSource(source, fields + 1, 4);
  }
  if (cell.instrument > song.instrumentCount)
    cell.instrument = 0;
}

XmRejection Loader::readPattern(XmPattern &pattern) {
  uint8_t header[9] = {};
  readSource(source, header, sizeof header);
  pattern.rows = le16(header + 5);
  pattern.packedSize = le16(header + 7);
  if (pattern.rows == 0 || pattern.rows > 256)
    return XmBadPatternRows;
  const size_t cellCount = size_t(pattern.rows) * size_t(song.channelCount);
  pattern.cells = allocate<XmCell>(cellCount);
  if (!pattern.cells)
    return XmOutOfMemory;
  if (pattern.packedSize != 0)
    for (size_t i = 0; i < cellCount; ++i)
      readCell(pattern.cells[i]);
  return XmAccepted;
}

XmRejection Loader::fillUnstoredPatterns() {
  for (uint32_t i = storedPatterns; i < song.patternCount; ++i) {
    song.patterns[i].rows = 64;
    song.patterns[i].cells = allocate<XmCell>(64 * size_t(song.channelCount));
    if (!song.patterns[i].cells)
      return XmOutOfMemory;
  }
  return XmAccepted;
}

// The sample header's sizes are in bytes; the loop is brought inside the sample so
// that the mixer and the guard value never reach beyond the data.
XmRejection Loader::readSampleHeader(uint32_t headerSize, XmSample *&sample) {
  uint8_t header[XmSampleHeaderBytes] = {};
  readSource(source, header, headerSize);
  const uint8_t type = header[14];
  const uint32_t shift = (type >> 4) & 1;
  const uint32_t length = le32(header) >> shift;
  if (length >= XmMaxSampleFrames)
    return XmSampleTooLong;
  sample = static_cast<XmSample *>(
      allocateFromSong(heap, SampleRecordBytes + 2 * (size_t(length) + SampleSpareValues)));
  if (!sample)
    return XmOutOfMemory;
  sample->length = length;
  sample->loopStart = le32(header + 4) >> shift;
  sample->loopLength = le32(header + 8) >> shift;
  sample->volume = header[12];
  sample->finetune = int8_t(header[13]);
  sample->is16Bit = uint8_t(shift);
  sample->panning = header[15];
  sample->relativeNote = int8_t(header[16]);
  sample->packing = header[17];
  sample->loopType = type & 3;
  if (sample->loopStart > length)
    sample->loopStart = length;
  if (sample->loopLength > length - sample->loopStart)
    sample->loopLength = length - sample->loopStart;
  if (sample->loopType == NoLoop || sample->loopLength == 0) {
    sample->loopStart = 0;
    sample->loopType = NoLoop;
    sample->loopLength = length;
  }
  return XmAccepted;
}

// Deltas are summed in 16 bits; 8-bit values count as their high byte.
void Loader::readPlainDeltas(XmSample &sample) {
  int16_t *data = sample.data;
  if (sample.is16Bit) {
    uint8_t *bytes = reinterpret_cast<uint8_t *>(data);
    readSource(source, bytes, 2 * sample.length);
    for (uint32_t i = 0; i < sample.length; ++i)
      data[i] = int16_t(le16(bytes + 2 * i));
  } else {
    // The bytes land in the upper half and widen in place, front to back.
    uint8_t *bytes = reinterpret_cast<uint8_t *>(data) + sample.length;
    readSource(source, bytes, sample.length);
    for (uint32_t i = 0; i < sample.length; ++i)
      data[i] = int16_t(uint16_t(bytes[i] << 8));
  }
  uint16_t sum = 0;
  for (uint32_t i = 0; i < sample.length; ++i) {
    sum = uint16_t(sum + uint16_t(data[i]));
    data[i] = int16_t(sum);
  }
}

// A table of 16 deltas, then two 4-bit indexes per byte, low nibble first. An odd
// length decodes one value into the spare room behind the data.
void Loader::readPacked4Bit(XmSample &sample) {
  int8_t deltas[16] = {};
  readSource(source, deltas, sizeof deltas);
  uint8_t value = 0;
  for (uint32_t i = 0; i < (sample.length + 1) / 2; ++i) {
    const uint8_t b = readByte();
    value = uint8_t(value + deltas[b & 15]);
    sample.data[2 * i] = int16_t(uint16_t(value << 8));
    value = uint8_t(value + deltas[b >> 4]);
    sample.data[2 * i + 1] = int16_t(uint16_t(value << 8));
  }
}

// The guard continues the loop past its end, so interpolation needs no test.
static void writeGuard(XmSample &sample) {
  const uint32_t end = sample.loopStart + sample.loopLength;
  if (sample.length == 0)
    return;
  if (sample.loopType == ForwardLoop)
    sample.data[end] = sample.data[sample.loopStart];
  else if (sample.loopType == PingPongLoop)
    sample.data[end] = sample.data[end - 1];
}

void Loader::readSampleData(XmSample &sample) {
  if (sample.packing == 0xAD)
    readPacked4Bit(sample);
  else
    readPlainDeltas(sample);
  writeGuard(sample);
}

// An instrument without samples keeps an all-zero body; its header size may be
// shorter than what was read, which moves the position back.
XmRejection Loader::readInstrument(XmInstrument &instrument) {
  uint8_t head[XmInstrumentHeadBytes] = {};
  readSource(source, head, sizeof head);
  const uint32_t size = le32(head);
  const uint32_t sampleCount = head[27];
  const uint32_t sampleHeaderSize = le32(head + 29);
  int64_t skip = int64_t(size) - XmInstrumentHeadBytes;
  if (sampleCount > 0) {
    if (sampleCount > XmMaxInstrumentSamples)
      return XmTooManySamples;
    if (sampleHeaderSize > XmSampleHeaderBytes)
      return XmSampleHeaderTooLarge;
    readSource(source, instrument.keymap, XmInstrumentBodyBytes);
    skip -= XmInstrumentBodyBytes;
  }
  seekSource(source, skip, true);
  instrument.fadeout = uint16_t(instrument.fadeout * 2);
  if (instrument.volumePointCount < 2)
    instrument.volumeType = 0;
  if (instrument.panningPointCount < 2)
    instrument.panningType = 0;
  for (uint32_t i = 0; i < sampleCount; ++i)
    if (const XmRejection why = readSampleHeader(sampleHeaderSize, instrument.samples[i]))
      return why;
  for (uint32_t i = 0; i < sampleCount; ++i)
    readSampleData(*instrument.samples[i]);
  return XmAccepted;
}

} // namespace

XmRejection loadModule(ModuleSource &source, const SongHeap &heap) {
  std::memset(&song, 0, sizeof song);
  Loader loader{source, heap};
  if (const XmRejection why = loader.readHeader())
    return why;
  if (const XmRejection why = loader.allocateSongStorage())
    return why;
  setTempo(song.defaultBpm);
  song.globalVolume = 64;
  song.speed = song.defaultTempo;
  for (uint32_t i = 0; i < loader.storedPatterns; ++i)
    if (const XmRejection why = loader.readPattern(song.patterns[i]))
      return why;
  if (const XmRejection why = loader.fillUnstoredPatterns())
    return why;
  for (uint32_t i = 0; i < song.instrumentCount; ++i)
    if (const XmRejection why = loader.readInstrument(song.instruments[i]))
      return why;
  return XmAccepted;
}
