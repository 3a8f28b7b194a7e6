#include "XmReader.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "ByteReader.h"

namespace {

constexpr char Signature[] = "extended module: ";
constexpr size_t SignatureBytes = sizeof Signature - 1;
// The version whose pattern headers store rows - 1 in one byte.
constexpr uint16_t ByteRowsVersion = 0x0102;
constexpr uint32_t PlayerInstrumentHeader = XmInstrumentHeadBytes + XmInstrumentBodyBytes;
constexpr uint16_t MaxChannels = 64, MaxPatterns = 256, MaxRows = 256;
// The player counts instruments in one byte; no tracker gives an instrument more
// samples than this either, and each costs memory before its header is read.
constexpr uint32_t MaxInstruments = 255, MaxSamplesPerInstrument = 255;
constexpr uint8_t SixteenBitType = 0x10;
constexpr uint8_t PackedDeltas = 0xAD;

uint32_t HeaderField32(const std::string &header, size_t at) {
  const auto *h = reinterpret_cast<const uint8_t *>(header.data() + at);
  return uint32_t(h[0] | h[1] << 8 | h[2] << 16 | uint32_t(h[3]) << 24);
}

void SetHeaderField32(std::string &header, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    header[at + size_t(i)] = char(value >> (8 * i) & 0xFF);
}

// A sample whose stored data is `kept` bytes (of what its header says), its length
// and loop brought within them.
void ShortenSample(SongSample &sample, size_t kept) {
  const bool packed = uint8_t(sample.header[17]) == PackedDeltas;
  uint32_t length = uint32_t(kept);
  if (packed) // a 16-byte table, then two frames a byte
    length = kept > 16 ? uint32_t(2 * (kept - 16)) : 0;
  if (packed && length == 0) { // without its table
    sample.header[17] = 0;
    kept = 0;
  }
  const uint32_t loopStart = std::min(HeaderField32(sample.header, 4), length);
  const uint32_t loopLength = std::min(HeaderField32(sample.header, 8), length - loopStart);
  SetHeaderField32(sample.header, 0, length);
  SetHeaderField32(sample.header, 4, loopStart);
  SetHeaderField32(sample.header, 8, loopLength);
  sample.data.resize(kept);
}

class TXmParse {
public:
  TXmParse(const uint8_t *bytes, size_t size, XmReading &out) : in(bytes, size), out(out) {}

  void Run() {
    ReadHeader();
    if (in.WentPastEnd())
      return Fail();
    if (out.song.channels == 0 || out.song.channels > MaxChannels || patternCount > MaxPatterns)
      return void(out.outcome = XmReading::BeyondTrackers);
    if (instrumentCount > MaxInstruments)
      return Refuse("it has " + std::to_string(instrumentCount) + " instruments; the player counts at most " +
                    std::to_string(MaxInstruments));
    if (out.version < XmCurrentVersion) {
      // Older layouts: all instrument and sample headers, then the patterns, then
      // all sample data.
      ReadInstrumentHeaders();
      ReadPatterns();
      ReadAllSampleData();
    } else {
      ReadPatterns();
      ReadInstrumentsWithData();
    }
    if (!out.refusal.empty())
      return;
    if (truncated)
      return Fail();
    out.outcome = beyondTrackers ? XmReading::BeyondTrackers : XmReading::Read;
  }

private:
  void Fail() { out.outcome = XmReading::Truncated; }
  void Refuse(std::string why) {
    out.outcome = XmReading::Refused;
    out.refusal = std::move(why);
    truncated = true; // reads no further
  }

  void Note(std::string change) {
    if (std::find(out.layoutChanges.begin(), out.layoutChanges.end(), change) == out.layoutChanges.end())
      out.layoutChanges.push_back(std::move(change));
  }

  void ReadHeader() {
    Song &song = out.song;
    in.Seek(17);
    song.name = in.Bytes(20);
    in.Skip(1);
    song.tracker = in.Bytes(20);
    out.version = in.U16();
    const uint32_t headerSize = in.U32();
    song.songLength = in.U16();
    song.restartPosition = in.U16();
    song.channels = in.U16();
    patternCount = in.U16();
    instrumentCount = in.U16();
    song.flags = in.U16();
    song.tempo = in.U16();
    song.bpm = in.U16();
    const size_t orderBytes = std::min<size_t>(256, headerSize >= 20 ? headerSize - 20 : 0);
    const std::string orders = in.Bytes(orderBytes);
    std::memcpy(song.orders, orders.data(), orders.size());
    // The player takes the whole table from a fixed place; a shorter header puts
    // pattern bytes into the orders it plays.
    if (orderBytes < song.songLength)
      Note("a header of " + std::to_string(headerSize) + " bytes");
    in.Seek(60 + uint64_t(headerSize));
  }

  void ReadPatterns() {
    for (uint32_t i = 0; i < patternCount && !truncated && !beyondTrackers; ++i)
      ReadPattern();
  }

  void ReadPattern() {
    const size_t start = in.Position();
    const uint32_t headerLength = in.U32();
    in.Skip(1); // packing type
    SongPattern pattern;
    pattern.rows = out.version <= ByteRowsVersion ? uint16_t(in.U8() + 1) : in.U16();
    const uint16_t packedSize = in.U16();
    if (in.WentPastEnd() || headerLength < 4)
      return void(truncated = true);
    if (pattern.rows == 0 || pattern.rows > MaxRows)
      return void(beyondTrackers = true);
    if (headerLength != XmPatternHeaderBytes)
      Note("pattern headers of " + std::to_string(headerLength) + " bytes");
    in.Seek(start + uint64_t(headerLength));
    if (in.Remaining() < packedSize)
      return void(truncated = true);
    TByteReader data = in.Part(packedSize);
    pattern.cells.resize(size_t(pattern.rows) * out.song.channels);
    if (packedSize > 0)
      UnpackCells(data, pattern);
    in.Skip(packedSize);
    out.song.patterns.push_back(std::move(pattern));
  }

  void UnpackCells(TByteReader &data, SongPattern &pattern) {
    for (SongCell &cell : pattern.cells) {
      if (data.Remaining() == 0)
        return Note("packed patterns that stop before their last cell");
      uint8_t fields[5] = {};
      const uint8_t first = data.U8();
      const uint8_t mask = first & 0x80 ? first : 0x1F;
      for (int i = 0; i < 5; ++i)
        if (mask & 1 << i)
          fields[i] = (i == 0 && !(first & 0x80)) ? first : data.U8();
      cell = {fields[0], fields[1], fields[2], fields[3], fields[4]};
    }
    if (data.Remaining() > 0)
      Note("packed patterns with bytes after their last cell");
  }

  void ReadInstrumentHeaders() {
    for (uint32_t i = 0; i < instrumentCount && !truncated; ++i)
      ReadInstrumentHeader();
  }

  void ReadInstrumentsWithData() {
    for (uint32_t i = 0; i < instrumentCount && !truncated; ++i) {
      ReadInstrumentHeader();
      if (!truncated)
        ReadSampleData(out.song.instruments.back());
    }
  }

  void ReadAllSampleData() {
    for (SongInstrument &instrument : out.song.instruments)
      if (!truncated)
        ReadSampleData(instrument);
  }

  void ReadInstrumentHeader() {
    // Trackers and the player alike take instruments the file stops before as empty.
    if (in.Remaining() < 29)
      return out.song.instruments.push_back(SongInstrument());
    const size_t start = in.Position();
    const uint32_t size = in.U32();
    if (size < 29)
      return void(truncated = true);
    // Fields beyond the header's stated size are 0, as trackers read them.
    TByteReader header = in.Part(size - 4);
    SongInstrument instrument;
    instrument.name = header.Bytes(22);
    instrument.type = header.U8();
    const uint16_t sampleCount = header.U16();
    const uint32_t sampleHeaderSize = header.U32();
    if (sampleCount > MaxSamplesPerInstrument)
      return Refuse("instrument " + std::to_string(out.song.instruments.size() + 1) + " claims " +
                    std::to_string(sampleCount) + " samples, more than any tracker writes");
    if (sampleCount > 0) {
      instrument.extra = header.Bytes(XmInstrumentBodyBytes);
      if (size < PlayerInstrumentHeader)
        Note("instrument headers of " + std::to_string(size) + " bytes");
      if (sampleHeaderSize != XmSampleHeaderBytes)
        Note("sample headers of " + std::to_string(sampleHeaderSize) + " bytes");
    }
    in.Seek(start + uint64_t(size));
    for (uint16_t s = 0; s < sampleCount; ++s) {
      const size_t headerStart = in.Position();
      SongSample sample;
      sample.header = in.Bytes(std::min<size_t>(sampleHeaderSize, XmSampleHeaderBytes));
      sample.header.resize(XmSampleHeaderBytes, '\0');
      in.Seek(headerStart + uint64_t(sampleHeaderSize));
      instrument.samples.push_back(std::move(sample));
    }
    if (in.WentPastEnd())
      truncated = true;
    out.song.instruments.push_back(std::move(instrument));
  }

  // Trackers and the reference players keep what the file holds of a sample and
  // shorten the sample to it.
  void ReadSampleData(SongInstrument &instrument) {
    for (SongSample &sample : instrument.samples) {
      const uint32_t length = HeaderField32(sample.header, 0);
      const uint8_t packing = uint8_t(sample.header[17]);
      const uint64_t bytes = packing == PackedDeltas ? 16 + (uint64_t(length) + 1) / 2 : length;
      sample.data = in.BytesThere(bytes);
      out.missingSampleBytes += bytes - sample.data.size();
      size_t kept = sample.data.size();
      // The player takes a 16-bit sample's length in whole frames; the odd byte
      // would start every later sample one byte early.
      const bool sixteenBit = (uint8_t(sample.header[14]) & SixteenBitType) && packing != PackedDeltas;
      if (sixteenBit && bytes % 2 == 1)
        Note("16-bit samples of an odd byte count");
      if (sixteenBit)
        kept &= ~size_t(1);
      if (kept < bytes)
        ShortenSample(sample, kept);
    }
  }

  TByteReader in;
  XmReading &out;
  uint32_t patternCount = 0, instrumentCount = 0;
  bool truncated = false, beyondTrackers = false;
};

} // namespace

bool LooksLikeXm(const uint8_t *bytes, size_t size) {
  if (size < SignatureBytes)
    return false;
  for (size_t i = 0; i < SignatureBytes; ++i)
    if (std::tolower(bytes[i]) != Signature[i])
      return false;
  return true;
}

XmReading ReadXm(const uint8_t *bytes, size_t size) {
  XmReading out;
  if (!LooksLikeXm(bytes, size))
    return out;
  TXmParse(bytes, size, out).Run();
  return out;
}
