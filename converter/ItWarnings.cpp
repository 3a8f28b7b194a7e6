#include "ItLosses.h"

#include "Warnings.h"

std::vector<std::string> ItWarnings(const ItLosses &losses) {
  std::vector<std::string> warnings;
  auto warn = [&](size_t count, const std::string &text) {
    if (count)
      warnings.push_back(Counted(text, count));
  };
  warn(losses.stereoSamples, "a stereo sample plays as its mix to mono");
  warn(losses.bothLoops, "a sample with a loop and a sustain loop plays its sustain loop only: XM has one "
                         "loop, and IT plays the other after the note is released");
  warn(losses.unknownCodecs,
       "a sample stored in a form Impulse Tracker does not write (such as ADPCM) is silent");
  warn(losses.heldSustainLoops, "an envelope's sustain loop over several points holds at its first point, "
                                "as XM's sustain does");
  warn(losses.reducedEnvelopes, "an envelope of more than XM's 12 points keeps the 12 that shape it most");
  warn(losses.pitchEnvelopes, "a pitch envelope is not played: XM has none");
  warn(losses.filterEnvelopes, "a filter envelope is not played: XM has no filter");
  warn(losses.filters, "an instrument's resonant filter is not played: XM has none");
  warn(losses.randomVariation, "an instrument's random volume or panning variation is not played");
  warn(losses.pitchPanSeparation, "an instrument's pitch-pan separation is not played");
  warn(losses.carriedEnvelopes, "an envelope's carry is not played: XM starts each note's envelopes afresh");
  warn(losses.keysOffPitch,
       "a keyboard entry that plays another note than its key plays at the nearest "
       "transposition its instrument has: no room for another transposed copy of its sample");
  warn(losses.samplesBeyondSixteen, "a key that plays an instrument's 17th sample or one beyond is not "
                                    "played: XM holds 16 samples an instrument");
  warn(losses.notesBelowRange,
       "a note too low for the eight octaves its instrument plays in XM (moved down for "
       "its highest notes) is not played");
  warn(losses.vibratoDiffers, "a sample's auto-vibrato differs from its instrument's first sample, whose "
                              "vibrato XM plays for all");
  warn(losses.tooManyInstruments, "an instrument beyond XM's 255 is left out");
  warn(losses.longPatterns, "a pattern of more than the player's 256 rows is cut there");
  if (losses.cutShort)
    warnings.push_back("the file ends inside its sample data; the samples it cuts short end where it does");
  return warnings;
}
