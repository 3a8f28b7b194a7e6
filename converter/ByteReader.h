#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Reads little- and big-endian fields from a byte range without ever leaving it: a
// read past the end yields zeros and marks the reader as short, so a parser checks
// once at the end of a structure instead of before every field.
class TByteReader {
public:
  TByteReader(const uint8_t *bytes, size_t size) : bytes(bytes), size(size) {}

  size_t Position() const { return position; }
  size_t Size() const { return size; }
  bool WentPastEnd() const { return pastEnd; }
  size_t Remaining() const { return position < size ? size - position : 0; }
  // Offsets come from the file: one past the end stands for any place beyond it, so
  // that no sum of them can wrap around to a place inside.
  void Seek(uint64_t offset) { position = offset < size ? size_t(offset) : size + 1; }
  void Skip(uint64_t count) { Seek(uint64_t(position) + count); }

  uint8_t U8() { return position < size ? bytes[position++] : (pastEnd = true, 0); }
  uint16_t U16() {
    const uint8_t low = U8();
    return uint16_t(low | U8() << 8);
  }
  uint32_t U32() {
    const uint16_t low = U16();
    return low | uint32_t(U16()) << 16;
  }
  uint16_t U16BigEndian() {
    const uint8_t high = U8();
    return uint16_t(high << 8 | U8());
  }
  // `count` bytes; the part beyond the end reads as zeros.
  std::string Bytes(size_t count) {
    std::string out(count, '\0');
    const size_t available = Remaining() < count ? Remaining() : count;
    if (available)
      out.replace(0, available, reinterpret_cast<const char *>(bytes + position), available);
    if (available < count)
      pastEnd = true;
    Skip(count);
    return out;
  }
  // Those of the next `count` bytes that the range holds, and on past all of them.
  std::string BytesThere(uint64_t count) {
    const size_t available = Remaining() < count ? Remaining() : size_t(count);
    std::string out =
        available ? std::string(reinterpret_cast<const char *>(bytes + position), available) : "";
    if (available < count)
      pastEnd = true;
    Skip(count);
    return out;
  }
  // A reader over the next `count` bytes (or what exists of them), for a part with
  // its own stated length.
  TByteReader Part(size_t count) const {
    const size_t available = Remaining() < count ? Remaining() : count;
    return TByteReader(bytes + (position < size ? position : size), available);
  }

private:
  const uint8_t *bytes;
  size_t size;
  size_t position = 0;
  bool pastEnd = false;
};
