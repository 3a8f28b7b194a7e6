#include "ModEffects.h"

#include <algorithm>

#include "XmFormat.h"

MappedEffect MapModEffect(uint8_t effect, uint8_t parameter) {
  const uint8_t sub = parameter >> 4;
  switch (effect) {
  case XmEffect::PortamentoUp:
  case XmEffect::PortamentoDown:
  case XmEffect::VolumeSlide:
    // A MOD slide of 0 does nothing; the XM one would repeat the last slide.
    return parameter ? MappedEffect{effect, parameter} : MappedEffect{};
  case XmEffect::TonePortamentoVolumeSlide:
    // Without a slide the MOD goes on with the tone portamento alone.
    return parameter ? MappedEffect{effect, parameter} : MappedEffect{XmEffect::TonePortamento, 0};
  case XmEffect::VibratoVolumeSlide:
    return parameter ? MappedEffect{effect, parameter} : MappedEffect{XmEffect::Vibrato, 0};
  case XmEffect::Extended:
    if (sub == 0x0)
      return {0, 0, AmigaFilterLost};
    if (sub == XmExtended::SetPanning)
      return {0, 0, E8xLost};
    if (sub == 0xF)
      return {0, 0, InvertLoopLost};
    if (sub == XmExtended::SetFinetune)
      return {0, 0, FinetuneLost};
    return {effect, parameter};
  default: return {effect, parameter};
  }
}

namespace {
constexpr int RowsInModPattern = 64;

bool DelaysRow(const SongCell &cell) {
  return cell.effect == XmEffect::Extended && cell.parameter >> 4 == XmExtended::PatternDelay &&
         (cell.parameter & 0x0F);
}
} // namespace

void MatchDelayedBreaks(SongPattern &pattern, int channels) {
  for (size_t row = 0; row < pattern.rows; ++row) {
    SongCell *cells = &pattern.cells[row * size_t(channels)];
    if (std::none_of(cells, cells + channels, DelaysRow))
      continue;
    for (SongCell *cell = cells; cell != cells + channels; ++cell) {
      const int target = 10 * (cell->parameter >> 4) + (cell->parameter & 0x0F) + 1;
      if (cell->effect == XmEffect::PatternBreak && target < RowsInModPattern)
        cell->parameter = uint8_t((target / 10) << 4 | target % 10);
    }
  }
}
