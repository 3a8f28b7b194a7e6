#include "ModWarnings.h"

#include "Warnings.h"

std::vector<std::string> ModWarnings(const ModLosses &losses) {
  std::vector<std::string> warnings;
  auto warn = [&](size_t count, const std::string &text) {
    if (count)
      warnings.push_back(Counted(text, count));
  };
  warn(losses.amigaFilter, "E0x (the Amiga filter) dropped");
  warn(losses.invertLoop, "EFx (invert loop) dropped: XM has no such effect");
  warn(losses.finetune, "E5x (set finetune) dropped: the player's E5x would retune the sample for good");
  warn(losses.instrumentSwaps, "an instrument number without a note changes only the volume in XM, "
                               "a MOD player also swaps the sample");
  warn(losses.offsetsPastEnd, "a sample offset past the sample's end is silent in XM, a MOD player "
                              "plays the loop or a click");
  warn(losses.notesOutOfRange, "a period outside XM's 8 octaves became an empty note");
  if (losses.askedBpm)
    warnings.push_back("the tempo byte asks for BPM " + std::to_string(losses.askedBpm) +
                       "; the song plays at XM's fastest, 255");
  if (losses.missingSampleBytes)
    warnings.push_back(SamplesCutShort(losses.missingSampleBytes));
  return warnings;
}
