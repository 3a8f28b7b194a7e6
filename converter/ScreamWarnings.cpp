#include "ScreamWarnings.h"

#include "Warnings.h"

namespace {

struct LossText {
  ScreamLoss loss;
  const char *text;
};

constexpr LossText Texts[] = {
    {ScreamLoss::Glissando, "S1x (glissando) dropped: the player's slides do not step in semitones"},
    {ScreamLoss::Finetune, "S2x (set finetune) dropped: the player's E5x would retune the sample for good"},
    {ScreamLoss::RandomWave, "S33 or S43 (random waveform) dropped: the waveform stays as it was"},
    {ScreamLoss::FinePatternDelay,
     "S6x (fine pattern delay) dropped: its rows are shorter by that many ticks"},
    {ScreamLoss::StereoControl, "SAx (stereo control) dropped"},
    {ScreamLoss::FunkRepeat, "SFx (funk repeat) dropped: XM has no such effect"},
    {ScreamLoss::Panbrello, "Yxy (panbrello) dropped: XM has no such effect"},
    {ScreamLoss::Macro, "Zxx (MIDI macro) dropped: XM has no such effect"},
    {ScreamLoss::FastSpeed, "a row at a speed above 31 ticks (Axx) that no XM speed and pattern delay make "
                            "exactly plays the nearest number of ticks"},
    {ScreamLoss::Surround, "surround panning dropped: the channel keeps its side"},
    {ScreamLoss::OddTremolo,
     "a tremolo of an odd depth plays one step deeper: XM's steps are twice as large"},
    {ScreamLoss::NoteRange, "a note outside XM's eight octaves became an empty note"},
    {ScreamLoss::DelayedFineSlide, "a fine slide on a row the pattern delay repeats slides at most 15 steps, "
                                   "where the tracker slides again with every repetition"},
    {ScreamLoss::PanningReset, "a note naming its instrument beside a volume and an effect plays at the "
                               "sample's panning, which XM takes again with the instrument"},
    {ScreamLoss::Memory, "a 00 parameter plays with the value of its pattern's first pass, where the "
                         "tracker would take another from its memory"},
    // Impulse Tracker
    {ScreamLoss::EnvelopeSwitch,
     "S77 to S7C (an envelope turned off or on) dropped: XM's envelopes stay as the "
     "instrument has them"},
    {ScreamLoss::HighOffset, "SAx (sample offsets beyond 65535 frames) dropped: XM's offsets stop there"},
    {ScreamLoss::TempoSlide, "T0x or T1x (tempo slide) dropped: XM has no such effect"},
    {ScreamLoss::FinePanSlide, "PFx or PxF (fine panning slide) dropped: XM has no such effect"},
    {ScreamLoss::FastPanSlide, "a panning slide faster than XM's fastest slides at XM's fastest"},
    {ScreamLoss::VolumeColumnSlide,
     "a pitch slide in the volume column dropped: XM's volume column has none, "
     "and the effect column was taken"},
};

} // namespace

std::vector<std::string> ScreamWarnings(const ScreamLosses &losses) {
  std::vector<std::string> warnings;
  for (const LossText &t : Texts)
    if (const size_t count = losses.count[size_t(t.loss)])
      warnings.push_back(Counted(t.text, count));
  return warnings;
}
