#include "XmRejectionText.h"

#include <cstdio>
#include <cstring>

#include "XmFormat.h"

namespace {
constexpr char Signature[] = "Extended Module: ";
constexpr uint32_t VersionOffset = 58;

const char *limitBroken(XmRejection why) {
  switch (why) {
  case XmAccepted: return "it loads";
  case XmNoPatterns: return "it has no patterns";
  case XmBadSongLength: return "its song length is 0 or more than 256 orders";
  case XmBadChannelCount: return "it has 0 channels or more than 64";
  case XmBadPatternRows: return "a pattern has 0 rows or more than 256";
  case XmTooManySamples: return "an instrument has more than 16 samples";
  case XmSampleHeaderTooLarge: return "its sample headers are larger than 40 bytes";
  case XmSampleTooLong: return "a sample is longer than 4194303 frames";
  case XmOutOfMemory: return "it needs more memory than there is";
  }
  return "it breaks a rule of the loader";
}

// The format version when the file is an XM older than 1.04, 0 otherwise.
uint16_t olderXmVersion(const uint8_t *bytes, uint32_t size) {
  if (size < VersionOffset + 2 || std::memcmp(bytes, Signature, sizeof Signature - 1) != 0)
    return 0;
  const uint16_t version = uint16_t(bytes[VersionOffset] | bytes[VersionOffset + 1] << 8);
  return version < XmCurrentVersion ? version : 0;
}
} // namespace

std::string explainRejection(XmRejection why, const uint8_t *bytes, uint32_t size) {
  std::string text = limitBroken(why);
  if (const uint16_t version = olderXmVersion(bytes, size)) {
    char note[160];
    std::snprintf(note, sizeof note,
                  " (the file is an XM of version %u.%02x, which stores its parts in another order; "
                  "save it again with a current tracker)",
                  unsigned(version >> 8), unsigned(version & 0xFF));
    text += note;
  }
  return text;
}
