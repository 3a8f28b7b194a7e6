#include "StreamUnit.h"

#include <cstdlib>
#include <cstring>

namespace {
bool FitsInt32(int64_t value) { return value >= INT32_MIN && value <= INT32_MAX; }

// A memory stream's position is an unlimited 32-bit field: moving it past either end
// of the range wraps round instead of overflowing.
int32_t WrappedSum(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }
} // namespace

// Only string streams can change their size; for the others a size request is
// ignored, which is all a read-only stream can honestly do.
void TStream::SetSize(int32_t) {}

void TStream::SetSize64(int64_t newSize) {
  if (FitsInt32(newSize))
    SetSize(int32_t(newSize));
}

int32_t TStream::Seek(int32_t offset, uint16_t origin) { return int32_t(Seek64(offset, uint8_t(origin))); }

int64_t TStream::Seek64(int64_t offset, uint8_t origin) {
  if (!FitsInt32(offset))
    return 0;
  return Seek(int32_t(offset), origin);
}

void TStream::SetPosition(int64_t position) { Seek64(position, soBeginning); }

int64_t TStream::GetSize() {
  int64_t remembered = Seek64(0, soCurrent);
  int64_t size = Seek64(0, soEnd);
  Seek64(remembered, soBeginning);
  return size;
}

void TStream::ReadBlock(void *buffer, int32_t count) {
  if (count != 0)
    Read(buffer, count);
}

void TStream::WriteBlock(const void *buffer, int32_t count) {
  if (count != 0)
    Write(buffer, count);
}

int64_t TStream::CopyFromStream(TStream &source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.GetSize();
  }
  const int64_t total = count;
  if (count <= 0)
    return total;
  int32_t blockSize = count < CopyBlockSize ? int32_t(count) : CopyBlockSize;
  void *buffer = malloc(size_t(blockSize));
  if (!buffer)
    return 0;
  while (count > 0) {
    int32_t n = count < blockSize ? int32_t(count) : blockSize;
    source.ReadBlock(buffer, n);
    WriteBlock(buffer, n);
    count -= n;
  }
  free(buffer);
  return total;
}

void TCustomMemoryStream::SetMemory(const void *address, int32_t size) {
  Memory = address;
  Size = size;
}

int32_t TCustomMemoryStream::Read(void *buffer, int32_t count) {
  if (Position < 0 || count < 0)
    return 0;
  int32_t n = Size - Position;
  if (n <= 0)
    return 0;
  if (n > count)
    n = count;
  memcpy(buffer, static_cast<const char *>(Memory) + Position, size_t(n));
  Position += n;
  return n;
}

int32_t TCustomMemoryStream::Seek(int32_t offset, uint16_t origin) {
  switch (origin) {
  case soBeginning: Position = offset; break;
  case soCurrent: Position = WrappedSum(Position, offset); break;
  case soEnd: Position = WrappedSum(Size, offset); break;
  default: break;
  }
  return Position;
}

void TStringStream::SetSize(int32_t newSize) {
  if (!DataString.SetLength(newSize))
    return;
  if (Position > DataString.Length())
    Position = DataString.Length();
}

int32_t TStringStream::Read(void *buffer, int32_t count) {
  int32_t n = DataString.Length() - Position;
  if (n > count)
    n = count;
  if (n <= 0)
    return 0;
  memcpy(buffer, DataString.Data() + Position, size_t(n));
  Position += n;
  return n;
}

int32_t TStringStream::Write(const void *buffer, int32_t count) {
  if (count < 0 || Position < 0 || int64_t(Position) + count > INT32_MAX)
    return 0;
  if (!DataString.SetLength(Position + count))
    return 0;
  if (count > 0)
    memcpy(DataString.Data() + Position, buffer, size_t(count));
  Position += count;
  return count;
}

int32_t TStringStream::Seek(int32_t offset, uint16_t origin) {
  int64_t target = Position;
  switch (origin) {
  case soBeginning: target = offset; break;
  case soCurrent: target = int64_t(Position) + offset; break;
  case soEnd: target = int64_t(DataString.Length()) - offset; break;
  default: break;
  }
  if (target < 0)
    target = 0;
  if (target > DataString.Length())
    target = DataString.Length();
  Position = int32_t(target);
  return Position;
}
