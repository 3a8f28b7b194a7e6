#pragma once
#include <cstdint>
#include <string>

// Little-endian fields appended to a byte string, as XM stores them.
inline void Put8(std::string &out, uint32_t v) { out.push_back(char(v & 0xFF)); }
inline void Put16(std::string &out, uint32_t v) {
  Put8(out, v);
  Put8(out, v >> 8);
}
inline void Put32(std::string &out, uint32_t v) {
  Put16(out, v);
  Put16(out, v >> 16);
}
