#include "XmPeriods.h"

#include <cmath>

#include "XmState.h"

// Note periods and playback frequencies.
//
// The divisors 1/12 and 1/768 are used as their single-precision values. Times a
// small integer they stay exact in double precision, so the host and the 32-bit
// Windows build compute the same exponent.

namespace {

const double OneTwelfth = double(1.0f / 12.0f);
const double OneOf768 = double(1.0f / 768.0f);
constexpr uint32_t LowestFrequency = 40;

int32_t semitonePeriod(int32_t note) {
  return int32_t(std::nearbyint(13.375 * std::exp2((132 - note) * OneTwelfth)));
}

} // namespace

bool linearFrequencies() { return song.flags & LinearFrequencyFlag; }

int32_t amigaPeriod(int32_t note, const XmSample &sample) {
  const int32_t finetune = sample.finetune;
  const int32_t base = semitonePeriod(note);
  const int32_t neighbour = semitonePeriod(finetune >= 0 ? note + 1 : note - 1);
  return base + std::abs(finetune) * (neighbour - base) / 128;
}

int32_t notePeriod(int32_t note, const XmSample &sample) {
  if (linearFrequencies())
    return 7680 - 64 * note - sample.finetune / 2;
  return amigaPeriod(note, sample);
}

uint32_t periodFrequency(int32_t period, int32_t periodDelta) {
  if (period + periodDelta <= 0)
    return LowestFrequency;
  if (!linearFrequencies())
    return 14317456u / uint32_t(period + periodDelta);
  // A larger period is a lower note, but the delta raises the pitch here.
  return uint32_t(std::nearbyint(8363.0 * std::exp2((4608 - period + periodDelta) * OneOf768)));
}
