#pragma once
#include <cstddef>
#include <cstdint>

// A growable byte string for the player's texts. The player keeps the C++ runtime out
// (no exceptions, no std::string), so this owns a malloc'd buffer that always has a
// NUL behind the last byte, which lets a text go straight to a Win32 call.
class TByteString {
public:
  TByteString() = default;
  TByteString(const char *text);
  TByteString(const void *bytes, int32_t count);
  TByteString(const TByteString &other);
  TByteString &operator=(const TByteString &other);
  ~TByteString();

  int32_t Length() const { return length; }
  bool IsEmpty() const { return length == 0; }
  const char *Text() const { return data ? data : ""; }
  char *Data() { return data; }
  char operator[](int32_t index) const { return data[index]; }

  // New length; new bytes are 0. False (string unchanged) when memory runs out.
  bool SetLength(int32_t newLength);
  bool Equals(const char *text) const;
  // The first `count` bytes, or fewer when the string is shorter.
  TByteString Left(int32_t count) const;
  // Drops the first `count` bytes (all of them when count >= Length()).
  void Delete(int32_t count);
  // 1-based position of the first `c`, 0 when there is none.
  int32_t Find(char c) const;

private:
  char *data = nullptr;
  int32_t length = 0;
};
