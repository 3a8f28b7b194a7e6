#include "XmEnvelopes.h"

#include "Limits.h"

// The instruments' volume and panning envelopes, stepped once per tick.

namespace {

enum class Envelope { Volume, Panning };
constexpr int32_t MaxPoints = 12;
constexpr int32_t MaxValue = 64;

// One envelope of an instrument together with the channel fields that follow it.
struct EnvelopeView {
  const XmEnvelopePoint *points;
  int32_t pointCount;
  uint8_t sustain, loopStart, loopEnd, type;
  int32_t &tick, &point, &slope, &value16, &value;
  uint8_t &finished;
};

EnvelopeView viewOf(ReplayChannel &channel, const XmInstrument &instrument, Envelope which) {
  if (which == Envelope::Volume)
    return {instrument.volumeEnvelope,  instrument.volumePointCount, instrument.volumeSustain,
            instrument.volumeLoopStart, instrument.volumeLoopEnd,    instrument.volumeType,
            channel.volEnvTick,         channel.volEnvPoint,         channel.volEnvSlope,
            channel.volEnvValue16,      channel.volEnvValue,         channel.volEnvFinished};
  return {instrument.panningEnvelope,  instrument.panningPointCount, instrument.panningSustain,
          instrument.panningLoopStart, instrument.panningLoopEnd,    instrument.panningType,
          channel.panEnvTick,          channel.panEnvPoint,          channel.panEnvSlope,
          channel.panEnvValue16,       channel.panEnvValue,          channel.panEnvFinished};
}

// A file may count more points than an instrument holds; the rest does not exist.
int32_t usablePoints(int32_t count) { return minOf(count, MaxPoints); }

// Values above 64 only come from damaged files; keeping them in range keeps the
// 16.16 arithmetic and the final volume from overflowing.
int32_t pointValue(const XmEnvelopePoint &point) { return minOf<int32_t>(point.y, MaxValue); }

int32_t integerValue(int32_t value16) { return clampTo(value16 >> EnvelopeFractionBits, 0, MaxValue); }

// Wraps instead of overflowing when a damaged envelope never reaches its next point.
int32_t addWrapping(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }

int32_t segmentSlope(const XmEnvelopePoint *points, int32_t index) {
  const int32_t width = points[index + 1].x - points[index].x;
  if (width == 0)
    return 0;
  return (pointValue(points[index + 1]) - pointValue(points[index])) * EnvelopeOne / width;
}

void advanceTick(EnvelopeView &envelope) {
  envelope.tick += 1;
  envelope.value = integerValue(envelope.value16);
}

void reachPoint(EnvelopeView &envelope, bool released) {
  const int32_t count = usablePoints(envelope.pointCount);
  int32_t index = envelope.point;
  // The loop is tested before the sustain, so a sustain point that ends a loop never holds.
  if ((envelope.type & EnvelopeLoop) && index == envelope.loopEnd && envelope.loopStart < count) {
    index = envelope.loopStart;
    envelope.point = index;
    envelope.tick = envelope.points[index].x;
  }
  envelope.value = pointValue(envelope.points[index]);
  if (index == count - 1) {
    envelope.finished = 1;
    return;
  }
  if ((envelope.type & EnvelopeSustain) && index == envelope.sustain && !released)
    return;
  envelope.point = index + 1;
  envelope.value16 = envelope.value * EnvelopeOne;
  envelope.slope = segmentSlope(envelope.points, index);
  advanceTick(envelope);
}

void processEnvelope(ReplayChannel &channel, const XmInstrument &instrument, Envelope which) {
  channel.updateFlags |= which == Envelope::Volume ? UpdateVolume : UpdatePanning;
  EnvelopeView envelope = viewOf(channel, instrument, which);
  if (envelope.finished)
    return;
  if (envelope.point >= usablePoints(envelope.pointCount)) {
    advanceTick(envelope);
  } else if (envelope.tick != envelope.points[envelope.point].x) {
    envelope.value16 = addWrapping(envelope.value16, envelope.slope);
    advanceTick(envelope);
  } else {
    reachPoint(envelope, channel.released);
  }
}

} // namespace

void setVolumeEnvelopePosition(ReplayChannel &channel, const XmInstrument &instrument, uint8_t tick) {
  if (!(instrument.volumeType & EnvelopeOn))
    return;
  const XmEnvelopePoint *points = instrument.volumeEnvelope;
  const int32_t last = usablePoints(instrument.volumePointCount) - 1;
  if (last < 0)
    return;
  int32_t segment = 0;
  while (segment < last && tick > points[segment + 1].x)
    ++segment;
  channel.volEnvFinished = segment == last;
  if (segment == last) {
    channel.volEnvPoint = segment;
    channel.volEnvValue = pointValue(points[last]);
    return;
  }
  channel.volEnvTick = tick;
  channel.volEnvSlope = segmentSlope(points, segment);
  const int64_t offset = int64_t(tick - points[segment].x) * channel.volEnvSlope;
  channel.volEnvValue16 = int32_t(offset + pointValue(points[segment]) * EnvelopeOne);
  channel.volEnvValue = integerValue(channel.volEnvValue16);
  channel.volEnvPoint = segment + 1;
}

void stepEnvelopesAndFadeout(ReplayChannel &channel, const XmInstrument &instrument) {
  if (instrument.volumeType & EnvelopeOn)
    processEnvelope(channel, instrument, Envelope::Volume);
  if (instrument.panningType & EnvelopeOn)
    processEnvelope(channel, instrument, Envelope::Panning);
  if (channel.released) {
    channel.fadeoutVolume = maxOf(channel.fadeoutVolume - instrument.fadeout, 0);
    channel.updateFlags |= UpdateVolume;
  }
}

void restartEnvelopesAndVibrato(ReplayChannel &channel) {
  channel.fadeoutVolume = FullFadeout;
  channel.volEnvTick = channel.volEnvPoint = channel.volEnvSlope = 0;
  channel.panEnvTick = channel.panEnvPoint = channel.panEnvSlope = 0;
  channel.autoVibratoSweep = channel.autoVibratoPos = 0;
  channel.released = channel.volEnvFinished = channel.panEnvFinished = 0;
  if (int8_t(channel.waveControl) < 0x4F)
    channel.tremoloPos = 0;
  if (!(channel.waveControl & 0x0C))
    channel.vibratoPos = 0;
}
