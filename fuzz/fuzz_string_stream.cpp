// Sequences of stream operations decoded from the input, run on a TStringStream and
// a read-only memory stream and on a model of each, written from the streams'
// rules: positions, sizes, results and bytes must agree after every operation.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "FuzzCheck.h"
#include "InputStream.h"

namespace {

constexpr int Unknown = -1; // a byte of CopyFromStream's buffer that no read filled
constexpr int MaxOperations = 128;
constexpr int64_t MaxWholeSelfCopyBytes = 1 << 18;

class InputBytes {
public:
  InputBytes(const uint8_t *data, size_t size) : data(data), size(size) {}
  bool empty() const { return at == size; }
  uint8_t byte() { return at < size ? data[at++] : 0; }
  uint16_t word() { return uint16_t(byte() | byte() << 8); }
  uint32_t dword() { return uint32_t(word()) | uint32_t(word()) << 16; }
  std::vector<uint8_t> bytes(size_t count) {
    const size_t n = count < size - at ? count : size - at;
    std::vector<uint8_t> taken(data + at, data + at + n);
    at += n;
    return taken;
  }

private:
  const uint8_t *data;
  size_t size;
  size_t at = 0;
};

struct StringModel {
  std::vector<int> text;
  int64_t position = 0;
  int64_t length() const { return int64_t(text.size()); }
  void clampPosition() { position = position < 0 ? 0 : position > length() ? length() : position; }
};

struct MemoryModel {
  std::vector<uint8_t> bytes;
  int32_t position = 0;
  int32_t size() const { return int32_t(bytes.size()); }
};

// The memory stream's position is a 32-bit field that wraps like one.
int32_t wrapped(int64_t value) { return int32_t(uint32_t(uint64_t(value))); }

struct Streams {
  TStringStream target;
  StringModel model;
  std::unique_ptr<uint8_t[]> memory; // exactly the source's bytes
  std::unique_ptr<TInputStream> source;
  MemoryModel sourceModel;

  explicit Streams(std::vector<uint8_t> sourceBytes) : memory(new uint8_t[sourceBytes.size()]) {
    if (!sourceBytes.empty())
      std::memcpy(memory.get(), sourceBytes.data(), sourceBytes.size());
    source.reset(new TInputStream(memory.get(), int32_t(sourceBytes.size())));
    sourceModel.bytes = std::move(sourceBytes);
  }

  void check() const {
    FUZZ_CHECK(target.GetPositionField() == model.position);
    FUZZ_CHECK(target.GetDataString().Length() == model.length());
    FUZZ_CHECK(model.position >= 0 && model.position <= model.length());
    FUZZ_CHECK(source->GetPositionField() == sourceModel.position);
  }
  void checkText() const {
    const TByteString &text = target.GetDataString();
    for (int32_t i = 0; i < text.Length(); ++i)
      FUZZ_CHECK(model.text[size_t(i)] == Unknown || model.text[size_t(i)] == uint8_t(text[i]));
    FUZZ_CHECK(text.Text()[text.Length()] == '\0'); // the NUL behind the text
  }

  // Write: the text ends at the end of the block just written.
  void write(const std::vector<int> &block) {
    model.text.resize(size_t(model.position));
    model.text.insert(model.text.end(), block.begin(), block.end());
    model.position += int64_t(block.size());
  }
  int64_t readModel(std::vector<int> &into, int64_t count) {
    const int64_t n = std::max<int64_t>(0, std::min(model.length() - model.position, count));
    std::copy_n(model.text.begin() + model.position, n, into.begin());
    model.position += n;
    return n;
  }
  int32_t readSourceModel(std::vector<int> &into, int32_t count) {
    if (sourceModel.position < 0 || count < 0 || sourceModel.size() - sourceModel.position <= 0)
      return 0;
    const int32_t n = std::min(sourceModel.size() - sourceModel.position, count);
    std::copy_n(sourceModel.bytes.begin() + sourceModel.position, n, into.begin());
    sourceModel.position += n;
    return n;
  }
};

void writeBytes(Streams &s, InputBytes &in) {
  const std::vector<uint8_t> bytes = in.bytes(in.byte());
  FUZZ_CHECK(s.target.Write(bytes.data(), int32_t(bytes.size())) == int32_t(bytes.size()));
  s.write(std::vector<int>(bytes.begin(), bytes.end()));
}

// A negative count writes nothing.
void writeNegative(Streams &s, InputBytes &in) {
  const uint8_t byte = 0;
  FUZZ_CHECK(s.target.Write(&byte, -1 - int32_t(in.word())) == 0);
}

void readBytes(Streams &s, InputBytes &in) {
  const int32_t count = int32_t(in.word() % 600) - 8;
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[size_t(std::max(count, 1))]);
  std::vector<int> expected(size_t(std::max(count, 0)));
  const int32_t n = s.target.Read(buffer.get(), count);
  FUZZ_CHECK(n == s.readModel(expected, count));
  for (int32_t i = 0; i < n; ++i)
    FUZZ_CHECK(expected[size_t(i)] == Unknown || expected[size_t(i)] == buffer[size_t(i)]);
}

void seekTarget(Streams &s, InputBytes &in) {
  const int32_t offset = int32_t(in.dword());
  const uint16_t origin = in.byte() % 4; // 3 is no origin: nothing moves
  StringModel &m = s.model;
  switch (origin) {
  case soBeginning: m.position = offset; break;
  case soCurrent: m.position += offset; break;
  case soEnd: m.position = m.length() - offset; break; // counts back from the end
  }
  m.clampPosition();
  FUZZ_CHECK(s.target.Seek(offset, origin) == m.position);
}

void seekTarget64(Streams &s, InputBytes &in) {
  const int64_t offset = int64_t(int32_t(in.dword())) + int64_t(int8_t(in.byte())) * (int64_t(1) << 32);
  const uint16_t origin = in.byte() % 3;
  if (offset < INT32_MIN || offset > INT32_MAX) {
    FUZZ_CHECK(s.target.Seek64(offset, uint8_t(origin)) == 0);
    return;
  }
  StringModel &m = s.model;
  m.position = origin == soBeginning ? offset
               : origin == soCurrent ? m.position + offset
                                     : m.length() - offset;
  m.clampPosition();
  FUZZ_CHECK(s.target.Seek64(offset, uint8_t(origin)) == m.position);
}

// Sizes stay small: a real 2 GiB string is not what is being tested.
void setSize(Streams &s, InputBytes &in) {
  const int64_t size = int16_t(in.word()) + int64_t(int8_t(in.byte())) * (int64_t(1) << 32);
  s.target.SetSize64(size);
  if (size < INT32_MIN || size > INT32_MAX)
    return;
  s.model.text.resize(size_t(std::max<int64_t>(size, 0)), 0);
  s.model.position = std::min(s.model.position, s.model.length());
}

void getSize(Streams &s, InputBytes &) { FUZZ_CHECK(s.target.GetSize() == s.model.length()); }

void seekSource(Streams &s, InputBytes &in) {
  const int32_t offset = int32_t(in.dword());
  const uint16_t origin = in.byte() % 4;
  MemoryModel &m = s.sourceModel;
  switch (origin) {
  case soBeginning: m.position = offset; break;
  case soCurrent: m.position = wrapped(int64_t(m.position) + offset); break;
  case soEnd: m.position = wrapped(int64_t(m.size()) + offset); break;
  }
  FUZZ_CHECK(s.source->Seek(offset, origin) == m.position);
}

void readSource(Streams &s, InputBytes &in) {
  const int32_t count = int32_t(in.word() % 600) - 8;
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[size_t(std::max(count, 1))]);
  std::vector<int> expected(size_t(std::max(count, 0)));
  const int32_t n = s.source->Read(buffer.get(), count);
  FUZZ_CHECK(n == s.readSourceModel(expected, count));
  for (int32_t i = 0; i < n; ++i)
    FUZZ_CHECK(expected[size_t(i)] == buffer[size_t(i)]);
}

// One buffer of at most 61,440 bytes; what a short read did not fill keeps what it
// held before, unknown at first.
int64_t copyModel(Streams &s, bool fromSource, int64_t count) {
  if (count == 0) {
    if (fromSource)
      s.sourceModel.position = 0;
    else
      s.model.position = 0;
    count = fromSource ? s.sourceModel.size() : s.model.length();
  }
  const int64_t total = count;
  std::vector<int> buffer(size_t(std::max<int64_t>(0, std::min<int64_t>(count, TStream::CopyBlockSize))),
                          Unknown);
  while (count > 0) {
    const int64_t n = std::min<int64_t>(count, int64_t(buffer.size()));
    if (fromSource)
      s.readSourceModel(buffer, int32_t(n));
    else
      s.readModel(buffer, n);
    s.write(std::vector<int>(buffer.begin(), buffer.begin() + n));
    count -= n;
  }
  return total;
}

// Mostly short copies, a few of more than one block, and negative counts.
int64_t copyCount(InputBytes &in) {
  const uint8_t scale = in.byte();
  return int64_t(int8_t(in.byte())) * (scale >= 240 ? 512 : scale % 8 + 1);
}

void copyFromSource(Streams &s, InputBytes &in) {
  const int64_t count = copyCount(in);
  FUZZ_CHECK(s.target.CopyFromStream(*s.source, count) == copyModel(s, true, count));
}

// The stream copying from itself reads ahead of where it writes. A whole copy may
// nearly double the text; past a few hundred KiB that only costs time.
void copyFromItself(Streams &s, InputBytes &in) {
  const int64_t count = copyCount(in);
  if (count == 0 && s.model.length() > MaxWholeSelfCopyBytes)
    return;
  FUZZ_CHECK(s.target.CopyFromStream(s.target, count) == copyModel(s, false, count));
}

typedef void (*Operation)(Streams &, InputBytes &);
constexpr Operation Operations[] = {writeBytes,   writeNegative,  readBytes,     seekTarget,
                                    seekTarget64, setSize,        getSize,       seekSource,
                                    readSource,   copyFromSource, copyFromItself};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  InputBytes in(data, size);
  Streams s(in.bytes(in.word()));
  for (int i = 0; i < MaxOperations && !in.empty(); ++i) {
    Operations[in.byte() % (sizeof Operations / sizeof Operations[0])](s, in);
    s.check();
  }
  s.checkText();
  return 0;
}
