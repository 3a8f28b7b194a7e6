#include "IntroSizes.h"

std::string GroupedNumber(uint64_t n) {
  std::string digits = std::to_string(n);
  for (int i = int(digits.size()) - 3; i > 0; i -= 3)
    digits.insert(size_t(i), ",");
  return digits;
}

std::string IntroSizesText(const std::string &name, const TIntroSizes &sizes) {
  std::string parts = "player " + GroupedNumber(sizes.Player);
  if (sizes.Font)
    parts += "; font " + GroupedNumber(sizes.Font);
  if (sizes.Music)
    parts += "; music " + GroupedNumber(sizes.Music);
  if (sizes.IconImages)
    parts += "; icon " + GroupedNumber(sizes.Icon) + " in " + std::to_string(sizes.IconImages) +
             (sizes.IconImages == 1 ? " image" : " images");
  parts += "; settings " + GroupedNumber(sizes.Settings);
  return name + ": " + GroupedNumber(sizes.Total) + " bytes (" + parts + ")";
}

std::string PackedShareText(uint32_t packed, uint32_t unpacked) {
  const uint64_t percent = unpacked ? (uint64_t(packed) * 100 + unpacked / 2) / unpacked : 0;
  return std::to_string(percent) + "% of " + GroupedNumber(unpacked);
}
