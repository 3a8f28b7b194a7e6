#include "ItCompression.h"

#include <algorithm>

namespace {

// Bits from the lowest of each byte up, within one block.
class TBitReader {
public:
  TBitReader(const uint8_t *bytes, size_t size) : bytes(bytes), bitsLeft(uint64_t(size) * 8) {}

  bool Read(unsigned width, uint32_t &value) {
    if (width > bitsLeft)
      return false;
    value = 0;
    for (unsigned i = 0; i < width; ++i, ++position)
      value |= uint32_t(bytes[position >> 3] >> (position & 7) & 1) << i;
    bitsLeft -= width;
    return true;
  }

private:
  const uint8_t *bytes;
  uint64_t bitsLeft;
  uint64_t position = 0;
};

// What a depth of samples (8 or 16 bits) makes of the widths.
struct Depth {
  unsigned bits;      // of a sample
  unsigned widest;    // the width that starts a block, one more than `bits`
  unsigned widthBits; // of the new width, in the narrow widths' escape
  size_t blockFrames; // that one block decodes
};
constexpr Depth EightBit{8, 9, 3, 0x8000};
constexpr Depth SixteenBit{16, 17, 4, 0x4000};

// A new width counts the widths other than the current one from 1.
unsigned WidthAfter(uint32_t code, unsigned width) { return code < width ? code : code + 1; }

int32_t SignExtended(uint32_t value, unsigned width, unsigned bits) {
  const unsigned used = std::min(width, bits);
  const uint32_t sign = 1u << (used - 1);
  value &= (sign << 1) - 1;
  return int32_t(value ^ sign) - int32_t(sign);
}

// Decodes one block into `out`; false when it ended before `frames` frames.
bool DecodeBlock(TBitReader bits, const Depth &depth, size_t frames, bool secondOrder,
                 std::vector<int16_t> &out) {
  unsigned width = depth.widest;
  int32_t first = 0, second = 0; // the deltas summed once, and twice
  const unsigned shift = 16 - depth.bits;
  for (size_t done = 0; done < frames;) {
    uint32_t value;
    if (width == 0 || width > depth.widest || !bits.Read(width, value))
      return false;
    if (width < 7) {
      if (value == 1u << (width - 1)) {
        uint32_t code;
        if (!bits.Read(depth.widthBits, code))
          return false;
        width = WidthAfter(code + 1, width);
        continue;
      }
    } else if (width < depth.widest) {
      const uint32_t border = (((1u << depth.bits) - 1) >> (depth.widest - width)) - depth.bits / 2;
      if (value > border && value <= border + depth.bits) {
        width = WidthAfter(value - border, width);
        continue;
      }
    } else if (value & (1u << depth.bits)) {
      width = (value + 1) & 0xFF;
      continue;
    }
    first = SignExtended(uint32_t(first + SignExtended(value, width, depth.bits)), depth.bits, depth.bits);
    second = SignExtended(uint32_t(second + first), depth.bits, depth.bits);
    out.push_back(int16_t(uint32_t(secondOrder ? second : first) << shift));
    ++done;
  }
  return true;
}

} // namespace

bool DecompressItSample(TByteReader &in, size_t frames, bool sixteenBit, bool secondOrder,
                        std::vector<int16_t> &out) {
  const Depth &depth = sixteenBit ? SixteenBit : EightBit;
  bool whole = true;
  for (size_t left = frames; left > 0;) {
    const size_t blockFrames = std::min(left, depth.blockFrames);
    const size_t before = out.size();
    const uint16_t size = in.U16();
    const std::string block = in.BytesThere(size);
    if (in.WentPastEnd() ||
        !DecodeBlock(TBitReader(reinterpret_cast<const uint8_t *>(block.data()), block.size()), depth,
                     blockFrames, secondOrder, out))
      whole = false;
    out.resize(before + blockFrames, 0);
    left -= blockFrames;
  }
  return whole;
}
