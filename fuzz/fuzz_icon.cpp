// The builder's icon-file reader, the group directory and its resource bytes: an
// accepted file yields images that are exactly the bytes its entries point at.
#include <cstring>

#include "FuzzCheck.h"
#include "IconFile.h"

namespace {

constexpr uint16_t FirstIconId = 1; // what the builder gives its first image
constexpr size_t GroupHeaderBytes = 6;
constexpr size_t GroupEntryBytes = 14;

void checkImages(const Ico &icon, const uint8_t *data, size_t size) {
  FUZZ_CHECK(icon.Entries.size() == icon.Count && icon.Images.size() == icon.Count);
  for (size_t i = 0; i < icon.Count; ++i) {
    const IcoEntry &entry = icon.Entries[i];
    FUZZ_CHECK(uint64_t(entry.ImageOffset) + entry.ImageSize <= size);
    FUZZ_CHECK(icon.Images[i].size() == entry.ImageSize);
    FUZZ_CHECK(entry.ImageSize == 0 ||
               std::memcmp(icon.Images[i].data(), data + entry.ImageOffset, entry.ImageSize) == 0);
  }
}

uint16_t word(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }

void checkGroup(const Ico &icon) {
  const IcoExe group = BuildGroupDirectory(icon, FirstIconId);
  const std::vector<uint8_t> bytes = GroupResourceData(group);
  FUZZ_CHECK(bytes.size() == GroupHeaderBytes + GroupEntryBytes * icon.Count);
  FUZZ_CHECK(word(&bytes[0]) == 0 && word(&bytes[2]) == 1 && word(&bytes[4]) == icon.Count);
  for (size_t i = 0; i < icon.Count; ++i) {
    const uint8_t *entry = &bytes[GroupHeaderBytes + GroupEntryBytes * i];
    FUZZ_CHECK(entry[0] == icon.Entries[i].Width && entry[1] == icon.Entries[i].Height);
    FUZZ_CHECK(word(entry + 12) == FirstIconId + i); // ids 1 to n, never 0
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Ico icon;
  if (ParseIconFile(data, size, icon) != IcoProblem::None) {
    FUZZ_CHECK(icon.Count == 0 && icon.Entries.empty() && icon.Images.empty());
    return 0;
  }
  checkImages(icon, data, size);
  checkGroup(icon);
  return 0;
}
