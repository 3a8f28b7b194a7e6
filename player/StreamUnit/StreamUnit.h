#pragma once
#include <cstdint>

#include "ByteString.h"

// Seek origins.
enum : uint16_t { soBeginning = 0, soCurrent = 1, soEnd = 2 };

// An abstract byte stream. The virtual operations keep this order; concrete streams
// replace Seek, so the two base seeks only convert between widths.
class TStream {
public:
  virtual ~TStream() = default;
  virtual void SetSize(int32_t newSize);
  virtual void SetSize64(int64_t newSize);
  virtual int32_t Read(void *buffer, int32_t count) = 0;
  virtual int32_t Write(const void *buffer, int32_t count) = 0;
  virtual int32_t Seek(int32_t offset, uint16_t origin);
  virtual int64_t Seek64(int64_t offset, uint8_t origin);

  void SetPosition(int64_t position);
  int64_t GetSize();
  void ReadBlock(void *buffer, int32_t count);
  void WriteBlock(const void *buffer, int32_t count);
  // Copies `count` bytes from the source's position; 0 copies the whole source from
  // its start. Returns the count that was to be copied.
  int64_t CopyFromStream(TStream &source, int64_t count);

  static constexpr int32_t CopyBlockSize = 0xF000;
};

// Read-only view of a memory block that the stream does not own.
class TCustomMemoryStream : public TStream {
public:
  int32_t Read(void *buffer, int32_t count) override;
  int32_t Seek(int32_t offset, uint16_t origin) override;

  const void *GetMemory() const { return Memory; }
  int32_t GetPositionField() const { return Position; }

protected:
  void SetMemory(const void *address, int32_t size);

  const void *Memory = nullptr;
  int32_t Size = 0;
  int32_t Position = 0;
};

// Readable and writable stream over a byte string that it holds.
class TStringStream : public TStream {
public:
  explicit TStringStream(const TByteString &text = TByteString()) : DataString(text) {}

  void SetSize(int32_t newSize) override;
  int32_t Read(void *buffer, int32_t count) override;
  int32_t Write(const void *buffer, int32_t count) override;
  int32_t Seek(int32_t offset, uint16_t origin) override;

  const TByteString &GetDataString() const { return DataString; }
  int32_t GetPositionField() const { return Position; }

private:
  TByteString DataString;
  int32_t Position = 0;
};
