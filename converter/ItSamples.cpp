#include "ItSamples.h"

#include <algorithm>
#include <cmath>

#include "ItCompression.h"
#include "ScreamSamples.h"
#include "XmFormat.h"

namespace {

constexpr double ItDefaultSpeed = 8363.0;

ItLoop ReadLoop(TByteReader &in, bool on, bool pingPong) {
  ItLoop loop;
  loop.start = in.U32();
  loop.end = in.U32();
  loop.pingPong = pingPong;
  if (!on)
    loop.start = loop.end = 0;
  return loop;
}

// A loop within the frames the sample has.
void KeepWithin(ItLoop &loop, size_t frames) {
  loop.end = uint32_t(std::min<size_t>(loop.end, frames));
  if (loop.start >= loop.end)
    loop = ItLoop{};
}

// Frames of one channel stored as they are: 8 or 16 bits, signed or not, deltas or not.
void ReadPlainChannel(TByteReader &in, size_t frames, bool sixteenBit, uint8_t conversion,
                      std::vector<int16_t> &out) {
  const bool isSigned = conversion & ItSampleConversion::Signed;
  const bool bigEndian = conversion & ItSampleConversion::BigEndian;
  const bool delta = conversion & ItSampleConversion::Delta;
  int16_t previous = 0;
  for (size_t i = 0; i < frames; ++i) {
    uint16_t value = sixteenBit ? (bigEndian ? in.U16BigEndian() : in.U16()) : uint16_t(in.U8() << 8);
    if (!isSigned)
      value ^= 0x8000;
    if (delta)
      value = uint16_t(value + previous);
    previous = int16_t(value);
    out.push_back(previous);
  }
}

// Stereo samples play mixed to one channel, as XM has no other.
void MixToMono(std::vector<int16_t> &frames) {
  const size_t half = frames.size() / 2;
  for (size_t i = 0; i < half; ++i)
    frames[i] = int16_t((frames[i] + frames[half + i]) / 2);
  frames.resize(half);
}

// Frames the rest of the file could hold at the least, for a claim to be checked
// against before memory is taken: compressed data takes at least a bit a frame.
size_t MostFrames(size_t bytesLeft, bool compressed, bool sixteenBit) {
  if (compressed)
    return bytesLeft * 8;
  return sixteenBit ? bytesLeft / 2 : bytesLeft;
}

void ReadData(TByteReader file, uint32_t pointer, uint8_t flags, uint8_t conversion, uint32_t length,
              ItSampleReading &out) {
  ItSample &s = out.sample;
  const bool compressed = flags & ItSampleFlag::Compressed;
  const int channels = s.stereo ? 2 : 1;
  file.Seek(pointer);
  size_t frames = std::min<size_t>(length, ScreamMostFrames);
  const size_t most = MostFrames(file.Remaining(), compressed, s.sixteenBit) / size_t(channels);
  if (frames > most)
    frames = most, out.cutShort = true;
  s.frames.reserve(frames * size_t(channels));
  for (int c = 0; c < channels; ++c) {
    if (compressed) {
      const bool secondOrder = conversion & ItSampleConversion::Delta;
      if (!DecompressItSample(file, frames, s.sixteenBit, secondOrder, s.frames))
        out.cutShort = true;
    } else {
      ReadPlainChannel(file, frames, s.sixteenBit, conversion, s.frames);
      // Some trackers save a stereo sample's channels one after the other, but each
      // as long as the whole: what was not read here is the first channel's rest.
      if (frames < length)
        file.Skip(uint64_t(length - frames) * (s.sixteenBit ? 2 : 1));
    }
  }
  if (file.WentPastEnd())
    out.cutShort = true;
  if (s.stereo)
    MixToMono(s.frames);
}

// Conversions beyond sign, byte order and deltas: ADPCM and the like.
bool KnownConversion(uint8_t conversion) { return (conversion & ~0x07) == 0; }

} // namespace

ItSampleReading ReadItSample(TByteReader file, size_t headerOffset) {
  ItSampleReading out;
  ItSample &s = out.sample;
  TByteReader in = file;
  in.Seek(headerOffset);
  in.Skip(4 + 13); // "IMPS", which players do not insist on; the DOS file name, a zero
  s.globalVolume = std::min<uint8_t>(in.U8(), 64);
  const uint8_t flags = in.U8();
  s.volume = std::min<uint8_t>(in.U8(), 64);
  s.name = in.Bytes(26);
  const uint8_t conversion = in.U8();
  const uint8_t panning = in.U8();
  s.usesPanning = panning & 0x80;
  s.panning = std::min<uint8_t>(panning & 0x7F, 64);
  const uint32_t length = in.U32();
  s.loop = ReadLoop(in, flags & ItSampleFlag::Loop, flags & ItSampleFlag::PingPongLoop);
  s.c5Speed = in.U32();
  s.sustainLoop = ReadLoop(in, flags & ItSampleFlag::SustainLoop, flags & ItSampleFlag::PingPongSustainLoop);
  const uint32_t pointer = in.U32();
  s.vibratoSpeed = in.U8();
  s.vibratoDepth = in.U8();
  s.vibratoSweep = in.U8();
  s.vibratoType = in.U8() & 3;
  if (in.WentPastEnd())
    return out.cutShort = true, out;
  s.sixteenBit = flags & ItSampleFlag::SixteenBit;
  s.stereo = flags & ItSampleFlag::Stereo;
  if (!(flags & ItSampleFlag::HasData) || length == 0)
    return out;
  if (!KnownConversion(conversion) && !(flags & ItSampleFlag::Compressed))
    return out.unknownCodec = true, out;
  ReadData(file, pointer, flags, conversion, length, out);
  KeepWithin(s.loop, s.frames.size());
  KeepWithin(s.sustainLoop, s.frames.size());
  return out;
}

ItLoop PlayedLoop(const ItSample &sample) {
  return sample.sustainLoop.Exists() ? sample.sustainLoop : sample.loop;
}

SongSample MakeXmSample(const ItSample &sample, const ItSamplePlacement &placement) {
  ScreamSampleData xm;
  xm.name = sample.name.substr(0, sample.name.find('\0'));
  // Below half the level, 8 bits would keep 7 or fewer.
  xm.sixteenBit = sample.sixteenBit || placement.gain < 0.5;
  xm.frames.reserve(sample.frames.size());
  for (int16_t frame : sample.frames)
    xm.frames.push_back(int16_t(std::clamp(std::lround(frame * placement.gain), -32768l, 32767l)));
  const ItLoop loop = PlayedLoop(sample);
  xm.loop = loop.Exists();
  xm.pingPong = loop.pingPong;
  xm.loopStart = loop.start;
  xm.loopEnd = loop.end;
  xm.volume = sample.volume;
  const int panning = sample.usesPanning ? sample.panning : placement.panning;
  xm.panning = panning >= 0                    ? uint8_t(std::min(255, panning * 4))
               : placement.channelPanning >= 0 ? uint8_t(placement.channelPanning)
                                               : 0x80;
  // An IT C-5 plays at the C5 speed, and is the XM C-5, which plays twice what XM's C-4 does.
  const double speed = sample.c5Speed ? double(sample.c5Speed) : ItDefaultSpeed;
  xm.middleC = uint32_t(std::lround(std::min(speed * std::exp2(placement.semitones / 12.0) / 2, 4.0e9)));
  return XmSample(xm);
}
