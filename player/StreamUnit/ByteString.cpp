#include "ByteString.h"

#include <cstdlib>
#include <cstring>
#include <utility>

TByteString::TByteString(const char *text) : TByteString(text, text ? int32_t(strlen(text)) : 0) {}

TByteString::TByteString(const void *bytes, int32_t count) {
  if (SetLength(count) && count > 0)
    memcpy(data, bytes, size_t(count));
}

TByteString::TByteString(const TByteString &other) : TByteString(other.data, other.length) {}

TByteString &TByteString::operator=(const TByteString &other) {
  if (this != &other) {
    TByteString copy(other);
    std::swap(data, copy.data);
    std::swap(length, copy.length);
  }
  return *this;
}

TByteString::~TByteString() { free(data); }

bool TByteString::SetLength(int32_t newLength) {
  if (newLength < 0)
    newLength = 0;
  if (newLength == 0) {
    free(data);
    data = nullptr;
    length = 0;
    return true;
  }
  char *grown = static_cast<char *>(realloc(data, size_t(newLength) + 1));
  if (!grown)
    return false;
  if (newLength > length)
    memset(grown + length, 0, size_t(newLength - length));
  grown[newLength] = 0;
  data = grown;
  length = newLength;
  return true;
}

bool TByteString::Equals(const char *text) const {
  size_t n = strlen(text);
  return n == size_t(length) && (n == 0 || memcmp(data, text, n) == 0);
}

TByteString TByteString::Left(int32_t count) const {
  if (count > length)
    count = length;
  return TByteString(data, count);
}

void TByteString::Delete(int32_t count) {
  if (count <= 0)
    return;
  if (count >= length) {
    SetLength(0);
    return;
  }
  memmove(data, data + count, size_t(length - count));
  SetLength(length - count);
}

int32_t TByteString::Find(char c) const {
  for (int32_t i = 0; i < length; ++i)
    if (data[i] == c)
      return i + 1;
  return 0;
}
