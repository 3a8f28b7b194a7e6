// The settings text an intro reads at start, and ParseInteger on its own.
#include <cstring>

#include "FuzzCheck.h"
#include "InputStream.h"
#include "IntroSettings.h"
#include "UTypes.h"

namespace {

bool same(const TByteString &a, const TByteString &b) {
  return a.Length() == b.Length() && std::memcmp(a.Text(), b.Text(), size_t(a.Length())) == 0;
}

bool sameSettings(const TIntroSettings &a, const TIntroSettings &b) {
  return same(a.Title, b.Title) && same(a.ScrollText, b.ScrollText) && a.ScrollType == b.ScrollType &&
         same(a.CloseOnClick, b.CloseOnClick) && same(a.FullScreen, b.FullScreen);
}

// Fields end at a separator, and the flags are one character or none.
void checkFields(const TIntroSettings &s) {
  FUZZ_CHECK(s.Title.Find(SettingsSeparator) == 0 && s.ScrollText.Find(SettingsSeparator) == 0);
  FUZZ_CHECK(s.CloseOnClick.Length() <= 1 && s.FullScreen.Length() <= 1);
}

int digitOf(char c, int base) {
  const int value = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
  return value < base ? value : -1;
}

// ParseInteger worked out in 64 bits: every digit is taken while the value stays
// inside 32 bits (of its sign, for decimal).
int32_t referenceInteger(const char *text, int32_t length) {
  int32_t i = 0;
  while (i < length && text[i] == ' ')
    ++i;
  bool negative = false;
  int base = 10;
  if (i < length && (text[i] == '-' || text[i] == '+'))
    negative = text[i++] == '-';
  else if (i < length && (text[i] == '$' || text[i] == 'x' || text[i] == 'X'))
    base = 16, ++i;
  else if (i + 1 < length && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'))
    base = 16, i += 2;
  const int64_t limit = base == 16 ? 0xFFFFFFFF : negative ? 2147483648 : 2147483647;
  int64_t value = 0;
  for (; i < length && digitOf(text[i], base) >= 0; ++i) {
    const int64_t next = value * base + digitOf(text[i], base);
    if (next > limit)
      break;
    value = next;
  }
  return int32_t(uint32_t(negative ? -value : value));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const int32_t length = int32_t(size);
  TIntroSettings parsed;
  ParseSettingsText(TByteString(data, length), parsed);
  checkFields(parsed);

  // Through the streams, as the player reads its resource: the same fields.
  TInputStream resource(data, length);
  TIntroSettings loaded;
  LoadSettingsFrom(resource, loaded);
  FUZZ_CHECK(sameSettings(parsed, loaded));

  const char *text = reinterpret_cast<const char *>(data);
  FUZZ_CHECK(ParseInteger(text, length) == referenceInteger(text, length));
  return 0;
}
