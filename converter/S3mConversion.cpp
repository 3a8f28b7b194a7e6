#include "S3mConversion.h"

#include "ParameterMemory.h"
#include "S3mReader.h"
#include "ScreamToXm.h"
#include "ScreamWarnings.h"

S3mConversion ConvertS3m(const uint8_t *bytes, size_t size) {
  S3mConversion out;
  S3mReading read = ReadS3m(bytes, size);
  if (read.outcome != S3mReading::Read) {
    out.outcome = read.outcome == S3mReading::Truncated ? S3mConversion::Truncated : S3mConversion::Refused;
    out.refusal = std::move(read.refusal);
    return out;
  }
  ScreamLosses losses;
  losses.count[size_t(ScreamLoss::Memory)] = ResolveParameterMemory(read.song, ScreamTracker3Memory());
  out.song = ScreamToXm(read.song, losses);
  out.description = std::move(read.description);
  out.warnings = ScreamWarnings(losses);
  out.warnings.insert(out.warnings.end(), read.song.warnings.begin(), read.song.warnings.end());
  out.outcome = S3mConversion::Converted;
  return out;
}
