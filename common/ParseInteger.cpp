#include "UTypes.h"

namespace {
int DigitValue(char c, bool hex) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (hex && c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (hex && c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}
} // namespace

int32_t ParseInteger(const char *text, int32_t length) {
  int32_t i = 0;
  while (i < length && text[i] == ' ')
    ++i;
  bool negative = false;
  bool hex = false;
  if (i < length && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  } else if (i < length && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < length && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  // Hexadecimal takes all 32 bits; decimal stops before the digit that would leave
  // the range of its sign, so "2147483648" reads as 214748364, not as a wrapped value.
  const uint32_t limit = hex ? 0xFFFFFFFFu : negative ? 2147483648u : 2147483647u;
  const uint32_t base = hex ? 16u : 10u;
  uint32_t value = 0;
  for (; i < length; ++i) {
    int digit = DigitValue(text[i], hex);
    if (digit < 0 || value > (limit - uint32_t(digit)) / base)
      break;
    value = value * base + uint32_t(digit);
  }
  return negative ? int32_t(0u - value) : int32_t(value);
}
