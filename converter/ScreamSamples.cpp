#include "ScreamSamples.h"

#include <algorithm>
#include <cmath>

#include "ByteWriter.h"
#include "XmFormat.h"

namespace {

constexpr double XmMiddleC = 8363.0;
constexpr uint8_t SixteenBitType = 0x10;
constexpr size_t NameBytes = 22;

// XM stores deltas of the values, in the sample's own width.
std::string Deltas(const std::vector<int16_t> &frames, bool sixteenBit) {
  std::string data;
  data.reserve(frames.size() * (sixteenBit ? 2 : 1));
  int16_t previous = 0;
  for (int16_t v : frames) {
    const uint16_t delta = uint16_t(uint16_t(v) - uint16_t(previous));
    if (sixteenBit)
      Put16(data, delta);
    else
      Put8(data, delta >> 8);
    previous = sixteenBit ? v : int16_t(v & 0xFF00);
  }
  return data;
}

} // namespace

ScreamTuning TuningForMiddleC(uint32_t middleC) {
  const double semitones = 12 * std::log2(std::max<uint32_t>(middleC, 1) / XmMiddleC);
  const long units = std::lround(semitones * 128);
  const long relative = std::clamp<long>((units + 64) >> 7, -96, 95);
  return {int8_t(relative), int8_t(std::clamp<long>(units - relative * 128, -128, 127))};
}

SongSample XmSample(const ScreamSampleData &s) {
  SongSample sample;
  std::string &h = sample.header;
  const uint32_t width = s.sixteenBit ? 2 : 1, length = uint32_t(s.frames.size());
  const uint32_t loopEnd = std::min(s.loopEnd, length);
  const bool loop = s.loop && loopEnd > s.loopStart;
  const ScreamTuning tuning = TuningForMiddleC(s.middleC);
  Put32(h, length * width);
  Put32(h, loop ? s.loopStart * width : 0);
  Put32(h, loop ? (loopEnd - s.loopStart) * width : 0);
  Put8(h, std::min<uint8_t>(s.volume, 64));
  Put8(h, uint8_t(tuning.finetune));
  Put8(h, (loop ? (s.pingPong ? PingPongLoop : ForwardLoop) : NoLoop) | (s.sixteenBit ? SixteenBitType : 0));
  Put8(h, s.panning);
  Put8(h, uint8_t(tuning.relativeNote));
  Put8(h, 0);
  std::string name = s.name.substr(0, NameBytes);
  name.resize(NameBytes, '\0');
  h += name;
  sample.data = Deltas(s.frames, s.sixteenBit);
  return sample;
}
