#include "AmigaPitch.h"

#include <cmath>

namespace {

// A PAL Amiga plays period p at this clock / p Hz; the XM C-4 of period 428 × 4 plays
// at 8363 Hz, a little sharper than the Amiga's 8287 Hz.
constexpr double PalClock = 3546895.0;
constexpr double MiddlePeriod = 428.0;
constexpr double XmMiddleFrequency = 14317456.0 / (4 * MiddlePeriod);
constexpr int MiddleNote = 49; // C-4
constexpr int XmFinetunePerSemitone = 128;
constexpr int ModFinetunePerSemitone = 8;

// The Amiga's offset from XM's tuning, in XM finetune units (about -20).
int PalOffset() {
  return int(
      std::lround(12 * XmFinetunePerSemitone * std::log2(PalClock / MiddlePeriod / XmMiddleFrequency)));
}

} // namespace

uint8_t PeriodToNote(uint16_t period) {
  if (period == 0)
    return 0;
  const long note = MiddleNote + std::lround(12 * std::log2(MiddlePeriod / period));
  return note >= 1 && note <= 96 ? uint8_t(note) : 0;
}

XmTuning TuningForFinetune(int modFinetune) {
  int units = modFinetune * (XmFinetunePerSemitone / ModFinetunePerSemitone) + PalOffset();
  int relative = 0;
  for (; units < -XmFinetunePerSemitone; units += XmFinetunePerSemitone)
    --relative;
  return {int8_t(relative), int8_t(units)};
}

int AmigaPeriod(uint8_t note, int modFinetune) {
  return int(std::lround(MiddlePeriod * std::exp2((MiddleNote - note) / 12.0 - modFinetune / 96.0)));
}
