#include "Instruments.h"

#include <utility>

#include "Synth.h"

namespace {

// C-4 plays a sample at 8363 frames per second; relative notes lift that by octaves.
constexpr uint32_t BaseRate = 8363;
constexpr uint32_t CycleFrames = 64;

struct Tuning {
  int8_t relativeNote, finetune;
};
// Drums sound at C-4, made at twice the base rate (hats at four times) for their highs.
constexpr Tuning DrumTuning{12, 0}, HatTuning{24, 0};
// A 64-frame cycle played an octave up is 1.9 cents flat; two finetune steps fix that.
constexpr Tuning CycleTuning{12, 2};
// The pad loop's two roots beat around a pitch 11.5 cents sharp of C-4.
constexpr Tuning PadTuning{0, -15};

struct Envelope {
  std::vector<std::pair<uint16_t, uint16_t>> points; // (tick, level 0..64)
  int sustainPoint;                                  // -1: none
  uint16_t fadeout;                                  // per tick after key-off
};

enum Looping : bool { OneShot = false, Looped = true };

XmInstrumentSpec instrument(const char *name, Frames frames, Looping looping, Tuning tuning, uint8_t volume,
                            uint8_t panning, const Envelope &envelope) {
  XmInstrumentSpec in;
  in.name = name;
  XmSampleSpec &s = in.addSample(std::move(frames));
  s.is16Bit = false;
  s.volume = volume;
  s.panning = panning;
  s.relativeNote = tuning.relativeNote;
  s.finetune = tuning.finetune;
  if (looping == Looped) {
    s.loopType = 1;
    s.loopLength = uint32_t(s.frames.size());
  }
  in.volumeEnvelope.points = envelope.points;
  in.volumeEnvelope.type = 1;
  if (envelope.sustainPoint >= 0) {
    in.volumeEnvelope.type |= 2;
    in.volumeEnvelope.sustain = uint8_t(envelope.sustainPoint);
  }
  in.fadeout = envelope.fadeout;
  return in;
}

XmInstrumentSpec withAutoVibrato(XmInstrumentSpec in, uint8_t sweep, uint8_t depth, uint8_t rate) {
  in.vibratoSweep = sweep;
  in.vibratoDepth = depth;
  in.vibratoRate = rate;
  return in;
}

// A root, the same root 27 cents sharp (64 and 65 cycles beat once per loop) and a
// just fifth: a chorused power chord.
Frames padLoop() {
  std::vector<Partial> partials;
  for (uint32_t k = 1; k <= 6; ++k) {
    partials.push_back({64 * k, int32_t(60000 / k), 0});
    partials.push_back({65 * k, int32_t(48000 / k), 1u << 30});
    if (k <= 4)
      partials.push_back({96 * k, int32_t(30000 / k), 1u << 31});
  }
  return additiveLoop(2048, partials);
}

} // namespace

std::vector<XmInstrumentSpec> demoInstruments() {
  // The echo is the lead's sound, quieter and on the other side.
  const auto leadVoice = [](const char *name, uint8_t volume, uint8_t panning) {
    const Envelope swell{{{0, 0}, {2, 64}, {10, 52}, {40, 44}}, 3, 0x200};
    return withAutoVibrato(
        instrument(name, quarterPulseCycle(CycleFrames, 11), Looped, CycleTuning, volume, panning, swell), 24,
        3, 10);
  };
  return {
      instrument("Kick", kickDrum(2 * BaseRate), OneShot, DrumTuning, 64, 128,
                 {{{0, 64}, {8, 60}, {12, 0}}, -1, 0}),
      instrument("Snare", snareDrum(2 * BaseRate), OneShot, DrumTuning, 64, 144,
                 {{{0, 64}, {4, 44}, {11, 0}}, -1, 0}),
      instrument("Closed hat", brightNoiseLoop(1024, 0xC105ED), Looped, HatTuning, 34, 176,
                 {{{0, 64}, {2, 24}, {5, 0}}, -1, 0}),
      instrument("Open hat", brightNoiseLoop(1024, 0x0BE4), Looped, HatTuning, 30, 176,
                 {{{0, 56}, {5, 36}, {16, 0}}, -1, 0}),
      instrument("Crash", brightNoiseLoop(2048, 0xC4A5), Looped, HatTuning, 36, 96,
                 {{{0, 64}, {8, 40}, {48, 0}}, -1, 0}),
      instrument("Bass", sawCycle(CycleFrames, 14, 60), Looped, CycleTuning, 40, 128,
                 {{{0, 64}, {6, 44}, {20, 36}}, 2, 0x300}),
      leadVoice("Lead", 56, 100),
      leadVoice("Echo", 24, 176),
      instrument("Arp", squareCycle(CycleFrames, 15), Looped, CycleTuning, 20, 72,
                 {{{0, 64}, {4, 40}, {16, 18}, {36, 0}}, -1, 0}),
      withAutoVibrato(
          instrument("Pad", padLoop(), Looped, PadTuning, 36, 128, {{{0, 0}, {10, 48}, {24, 40}}, 2, 0x180}),
          0, 2, 6),
  };
}
