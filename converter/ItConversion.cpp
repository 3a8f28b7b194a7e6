#include "ItConversion.h"

#include "ItReader.h"
#include "NewNoteActions.h"
#include "ParameterMemory.h"
#include "ScreamSpeeds.h"
#include "ScreamToXm.h"
#include "ScreamWarnings.h"
#include "VolumeBaking.h"

ItConversion ConvertIt(const uint8_t *bytes, size_t size) {
  ItConversion out;
  ItReading read = ReadIt(bytes, size);
  if (read.outcome != ItReading::Read) {
    out.outcome = read.outcome == ItReading::Truncated ? ItConversion::Truncated : ItConversion::Refused;
    out.refusal = std::move(read.refusal);
    return out;
  }
  ScreamLosses losses;
  losses.count[size_t(ScreamLoss::Memory)] =
      ResolveParameterMemory(read.song, ImpulseTrackerMemory(read.song.flags));
  PlayTempoSlidesAsTempos(read.song);
  const VolumeBaking baked = BakeVolumes(read.song);
  const NoteSpreading spread = SpreadNewNoteActions(read.song);
  out.song = ScreamToXm(read.song, losses);
  out.description = std::move(read.description);
  out.warnings = ScreamWarnings(losses);
  for (const std::vector<std::string> &more : {ItWarnings(read.losses), NoteSpreadingWarnings(spread),
                                               VolumeBakingWarnings(baked), read.song.warnings})
    out.warnings.insert(out.warnings.end(), more.begin(), more.end());
  out.outcome = ItConversion::Converted;
  return out;
}
