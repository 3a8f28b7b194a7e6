#include "S3mReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "ByteReader.h"
#include "ScreamSamples.h"
#include "Warnings.h"

namespace {

constexpr size_t HeaderBytes = 0x60, SignatureAt = 0x2C, ChannelSettings = 32, PanTableBytes = 32;
constexpr size_t InstrumentBytes = 0x50, TitleBytes = 28, SampleNameAt = 0x30;
constexpr uint8_t PanTablePresent = 252, PanStepGiven = 0x20;
constexpr uint8_t DisabledChannel = 0x80, FirstAdlibChannel = 16, LastChannelType = 31;
constexpr uint8_t SampleInstrument = 1, FirstAdlibInstrument = 2;
constexpr uint8_t LoopFlag = 1, StereoFlag = 2, SixteenBitFlag = 4;
constexpr uint16_t UnsignedSamples = 2;
constexpr uint16_t FastSlideFlag = 0x40, AmigaLimitsFlag = 0x10;
constexpr uint16_t ScreamTracker300 = 0x1300;
constexpr uint8_t StereoMix = 0x80;
constexpr size_t MostInstruments = 255;
constexpr size_t RowsPerPattern = 64;
constexpr uint8_t NoNoteByte = 255, NoteCutByte = 254;
constexpr uint8_t LeftStep = 3, RightStep = 12, CentreStep = 8;

const char *TrackerOf(uint16_t cwt) {
  switch (cwt >> 12) {
  case 1: return "Scream Tracker";
  case 2: return "Imago Orpheus";
  case 3: return "Impulse Tracker";
  case 4: return "Schism Tracker";
  case 5: return "OpenMPT";
  case 6: return "BeRoTracker";
  case 7: return "CreamTracker";
  default: return nullptr;
  }
}

// "Scream Tracker 3.20" from the file's Cwt/v field.
std::string TrackerName(uint16_t cwt) {
  char text[48];
  if (const char *tracker = TrackerOf(cwt))
    std::snprintf(text, sizeof text, "%s %x.%02x", tracker, unsigned(cwt >> 8 & 0x0F), unsigned(cwt & 0xFF));
  else
    std::snprintf(text, sizeof text, "S3M tracker %04X", unsigned(cwt));
  return text;
}

uint8_t PanningOfStep(uint8_t step) { return uint8_t(step * 17); }

struct Header {
  std::string title;
  uint16_t orders = 0, instruments = 0, patterns = 0, flags = 0, cwt = 0, format = 0;
  uint8_t globalVolume = 64, speed = 6, tempo = 125, masterVolume = 0, panTable = 0;
  uint8_t channels[ChannelSettings] = {};
};

class TS3mParse {
public:
  TS3mParse(const uint8_t *bytes, size_t size, S3mReading &out)
      : bytes(bytes), size(size), in(bytes, size), out(out) {}

  void Run() {
    ReadHeader();
    if (in.WentPastEnd())
      return Fail(S3mReading::Truncated, "the file ends inside its header");
    if (header.instruments > MostInstruments)
      return Fail(S3mReading::Refused,
                  "it names " + std::to_string(header.instruments) + " instruments, more than XM's 255");
    ReadOrderTable();
    if (in.WentPastEnd())
      return Fail(S3mReading::Truncated, "the file ends inside its order list and parapointers");
    MapChannels();
    if (channelOf.empty())
      return Fail(S3mReading::Refused, "it has no enabled channel");
    SetSong();
    if (!ReadInstruments())
      return Fail(S3mReading::Truncated, "an instrument header lies beyond the end of the file");
    if (!ReadPatterns())
      return Fail(S3mReading::Truncated, "the file ends inside its patterns");
    if (!ScreamPlaysAPattern(out.song.orders))
      return Fail(S3mReading::Refused, "it plays no pattern");
    Warn();
    out.description = std::to_string(ScreamChannels(out.song)) + "-channel " + TrackerName(header.cwt) +
                      " S3M module, " + std::to_string(header.instruments) +
                      (header.instruments == 1 ? " sample" : " samples");
    out.outcome = S3mReading::Read;
  }

private:
  void Fail(S3mReading::Outcome outcome, std::string why) {
    out.outcome = outcome;
    out.refusal = std::move(why);
  }

  void ReadHeader() {
    header.title = in.Bytes(TitleBytes);
    in.Seek(0x20);
    header.orders = in.U16();
    header.instruments = in.U16();
    header.patterns = in.U16();
    header.flags = in.U16();
    header.cwt = in.U16();
    header.format = in.U16();
    in.Seek(0x30);
    header.globalVolume = in.U8();
    header.speed = in.U8();
    header.tempo = in.U8();
    header.masterVolume = in.U8();
    in.U8(); // click removal
    header.panTable = in.U8();
    in.Seek(0x40);
    for (uint8_t &c : header.channels)
      c = in.U8();
  }

  void ReadOrderTable() {
    for (size_t i = 0; i < header.orders; ++i)
      orders.push_back(in.U8());
    for (size_t i = 0; i < header.instruments; ++i)
      instrumentPointers.push_back(in.U16() * 16u);
    for (size_t i = 0; i < header.patterns; ++i)
      patternPointers.push_back(in.U16() * 16u);
    if (header.panTable == PanTablePresent)
      for (uint8_t &p : panTable)
        p = in.U8();
  }

  bool Stereo() const { return header.masterVolume & StereoMix; }

  // The enabled channels, in order, each with its side: the low ones left, the high
  // ones right, unless the pan table says otherwise; all in the centre in mono.
  void MapChannels() {
    channelOf.assign(ChannelSettings, -1);
    std::vector<uint8_t> &panning = out.song.channelPanning;
    for (size_t c = 0; c < ChannelSettings; ++c) {
      const uint8_t setting = header.channels[c];
      if (setting & DisabledChannel || setting > LastChannelType)
        continue;
      channelOf[c] = int(panning.size());
      uint8_t step = setting < 8 ? LeftStep : setting < FirstAdlibChannel ? RightStep : CentreStep;
      if (header.panTable == PanTablePresent && panTable[c] & PanStepGiven)
        step = panTable[c] & 0x0F;
      panning.push_back(Stereo() ? PanningOfStep(step) : 0x80);
    }
    if (panning.empty())
      channelOf.clear();
  }

  void SetSong() {
    ScreamSong &song = out.song;
    song.tracker = ScreamTracker::ScreamTracker3;
    song.flags.fastVolumeSlides = header.flags & FastSlideFlag || header.cwt == ScreamTracker300;
    song.flags.amigaLimits = header.flags & AmigaLimitsFlag;
    song.flags.mono = !Stereo();
    song.globalVolume = std::min<uint8_t>(header.globalVolume, 64);
    song.xm.name = header.title.substr(0, 20);
    song.xm.name.resize(20, '\0');
    song.xm.tracker = TrackerName(header.cwt).substr(0, 20);
    song.xm.tracker.resize(20, '\0');
    song.xm.tempo = header.speed && header.speed != 255 ? header.speed : 6;
    song.xm.bpm = header.tempo >= 32 ? header.tempo : 125;
  }

  bool ReadInstruments() {
    for (size_t i = 0; i < instrumentPointers.size(); ++i) {
      if (instrumentPointers[i] + InstrumentBytes > size)
        return false;
      ReadInstrument(bytes + instrumentPointers[i]);
    }
    return true;
  }

  void ReadInstrument(const uint8_t *h) {
    TByteReader field(h, InstrumentBytes);
    SongInstrument instrument;
    ScreamSampleData sample;
    sample.name = std::string(reinterpret_cast<const char *>(h + SampleNameAt), TitleBytes);
    sample.name = sample.name.substr(0, sample.name.find('\0'));
    instrument.name = sample.name.substr(0, 22);
    instrument.name.resize(22, '\0');
    const uint8_t type = h[0];
    if (type >= FirstAdlibInstrument)
      ++adlib;
    field.Seek(0x10);
    const uint32_t length = field.U32(), loopStart = field.U32(), loopEnd = field.U32();
    sample.volume = std::min<uint8_t>(h[0x1C], 64);
    const uint8_t packing = h[0x1E], flags = h[0x1F];
    field.Seek(0x20);
    sample.middleC = field.U32();
    sample.loop = flags & LoopFlag;
    sample.loopStart = loopStart;
    sample.loopEnd = loopEnd;
    sample.sixteenBit = flags & SixteenBitFlag;
    const uint32_t dataAt = uint32_t(h[0x0D] << 16 | h[0x0E] | h[0x0F] << 8) * 16u;
    if (type == SampleInstrument && length) {
      if (packing)
        ++packed;
      else
        ReadSampleData(sample, dataAt, length, flags & StereoFlag);
    }
    if (!sample.frames.empty())
      instrument.samples.push_back(XmSample(sample));
    out.song.xm.instruments.push_back(std::move(instrument));
  }

  // What the file holds of the sample: stereo samples store the left channel, then
  // the right, and play here as their mix.
  void ReadSampleData(ScreamSampleData &sample, uint32_t at, uint32_t length, bool stereo) {
    const uint32_t width = sample.sixteenBit ? 2 : 1, sides = stereo ? 2 : 1;
    const uint32_t kept = std::min(length, ScreamMostFrames);
    if (kept < length)
      ++tooLong;
    const uint64_t wanted = uint64_t(length) * width * sides;
    const uint64_t there = at < size ? std::min<uint64_t>(size - at, wanted) : 0;
    missingSampleBytes += wanted - there;
    const bool isUnsigned = header.format == UnsignedSamples;
    auto value = [&](uint64_t index) -> int16_t {
      const uint64_t offset = uint64_t(at) + index * width;
      if (offset + width > uint64_t(at) + there)
        return 0;
      const uint16_t raw =
          sample.sixteenBit ? uint16_t(bytes[offset] | bytes[offset + 1] << 8) : uint16_t(bytes[offset] << 8);
      return int16_t(isUnsigned ? raw ^ 0x8000 : raw);
    };
    const uint64_t firstSide = stereo ? std::min<uint64_t>(there, uint64_t(length) * width) : there;
    const uint32_t available = uint32_t(std::min<uint64_t>(kept, firstSide / width));
    sample.frames.resize(available);
    for (uint32_t f = 0; f < available; ++f)
      sample.frames[f] = stereo ? int16_t((value(f) + value(uint64_t(length) + f)) / 2) : value(f);
    if (stereo)
      ++stereoSamples;
  }

  bool ReadPatterns() {
    ScreamSong &song = out.song;
    std::vector<int> newNumber(header.patterns, -1);
    int empty = -1;
    for (uint8_t order : orders) {
      if (order == ScreamSkipOrder || order == ScreamEndOrder) {
        song.orders.push_back(order);
        continue;
      }
      int &number = order < header.patterns ? newNumber[order] : empty;
      if (number < 0) {
        number = int(song.patterns.size());
        song.patterns.emplace_back();
        if (order < header.patterns && !ReadPattern(patternPointers[order], song.patterns.back()))
          return false;
        if (order >= header.patterns) // a pattern the file does not have plays as an empty one
          song.patterns.back().cells.assign(RowsPerPattern * ScreamChannels(song), ScreamCell{});
      }
      song.orders.push_back(uint8_t(number));
    }
    return true;
  }

  bool ReadPattern(uint32_t at, ScreamPattern &pattern) {
    const size_t channels = ScreamChannels(out.song);
    pattern.rows = RowsPerPattern;
    pattern.cells.assign(RowsPerPattern * channels, ScreamCell{});
    if (at == 0)
      return true;
    TByteReader data(bytes, size);
    data.Seek(uint64_t(at) + 2);
    for (size_t row = 0; row < RowsPerPattern && !data.WentPastEnd();) {
      const uint8_t what = data.U8();
      if (what == 0) {
        ++row;
        continue;
      }
      ScreamCell cell;
      if (what & 0x20) {
        cell.note = NoteOf(data.U8());
        cell.instrument = data.U8();
        if (cell.instrument > header.instruments)
          cell.instrument = 0;
      }
      if (what & 0x40)
        cell.volume = data.U8();
      if (what & 0x80) {
        cell.command = data.U8();
        cell.parameter = data.U8();
        if (cell.command > ScreamCommands)
          cell.command = cell.parameter = 0;
        if (cell.command == ScreamCommand('C'))
          cell.parameter = uint8_t((cell.parameter >> 4) * 10 + (cell.parameter & 0x0F));
      }
      const int channel = channelOf[what & 0x1F];
      if (channel >= 0)
        pattern.cells[row * channels + size_t(channel)] = cell;
    }
    return !data.WentPastEnd();
  }

  static uint8_t NoteOf(uint8_t stored) {
    if (stored == NoNoteByte)
      return ScreamNoNote;
    if (stored == NoteCutByte)
      return ScreamNoteCut;
    const uint8_t octave = stored >> 4, semitone = stored & 0x0F;
    if (semitone >= 12 || octave >= 10)
      return ScreamNoNote;
    return uint8_t(octave * 12 + semitone + 1);
  }

  void Warn() {
    std::vector<std::string> &w = out.song.warnings;
    if (adlib)
      w.push_back(Counted("an Adlib instrument (FM synthesis) is silent: XM plays samples only", adlib));
    if (packed)
      w.push_back(Counted("a packed sample (ADPCM) is silent", packed));
    if (stereoSamples)
      w.push_back(Counted("a stereo sample plays as its mix to mono", stereoSamples));
    if (tooLong)
      w.push_back(Counted("a sample longer than the player's 4194303 frames is cut there", tooLong));
    if (missingSampleBytes)
      w.push_back(SamplesCutShort(missingSampleBytes));
  }

  const uint8_t *bytes;
  size_t size;
  TByteReader in;
  S3mReading &out;
  Header header;
  std::vector<uint8_t> orders;
  std::vector<uint32_t> instrumentPointers, patternPointers;
  uint8_t panTable[PanTableBytes] = {};
  std::vector<int> channelOf; // stored channel -> song channel, -1 for none
  size_t adlib = 0, packed = 0, stereoSamples = 0, tooLong = 0;
  uint64_t missingSampleBytes = 0;
};

} // namespace

bool LooksLikeS3m(const uint8_t *bytes, size_t size) {
  return size >= SignatureAt + 4 && std::memcmp(bytes + SignatureAt, "SCRM", 4) == 0;
}

S3mReading ReadS3m(const uint8_t *bytes, size_t size) {
  S3mReading out;
  TS3mParse(bytes, size, out).Run();
  return out;
}
