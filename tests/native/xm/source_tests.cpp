#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "ModuleSource.h"

namespace {

TEST(MemorySource, ReadPastTheEndCopiesWhatExistsAndAdvancesByTheWholeCount) {
  const char data[] = "abcdef";
  ModuleSource source;
  openMemorySource(source, data, 6);
  seekSource(source, 4, false);
  char out[4] = {'x', 'x', 'x', 'x'};
  readSource(source, out, 4);
  EXPECT_EQ(std::string(out, 4), "efxx");
  EXPECT_EQ(source.position, 8);
  readSource(source, out, 2); // entirely past the end
  EXPECT_EQ(std::string(out, 4), "efxx");
}

TEST(MemorySource, SeeksOutsideTheDataAreIgnored) {
  const char data[] = "abcdef";
  ModuleSource source;
  openMemorySource(source, data, 6);
  seekSource(source, 2, false);
  seekSource(source, -3, true);
  EXPECT_EQ(source.position, 2);
  seekSource(source, 7, false);
  EXPECT_EQ(source.position, 2);
  seekSource(source, 4, true);
  EXPECT_EQ(source.position, 6);
  seekSource(source, -6, true);
  EXPECT_EQ(source.position, 0);
}

// A file of 20000 bytes read through the 8 KiB window.
struct FakeFile {
  std::string bytes;
  int reads = 0;
  static uint32_t readAt(void *file, uint32_t offset, void *destination, uint32_t count) {
    FakeFile &f = *static_cast<FakeFile *>(file);
    ++f.reads;
    if (offset >= f.bytes.size())
      return 0;
    const uint32_t n = std::min<uint32_t>(count, uint32_t(f.bytes.size()) - offset);
    std::memcpy(destination, f.bytes.data() + offset, n);
    return n;
  }
};

TEST(FileSource, WindowedReadsDeliverTheFileBytesAndZerosPastTheEnd) {
  FakeFile file;
  std::mt19937 random(5);
  for (int i = 0; i < 20000; ++i)
    file.bytes.push_back(char(random()));
  ModuleSource source;
  openFileSource(source, &file, &FakeFile::readAt);
  for (int round = 0; round < 300; ++round) {
    const uint32_t offset = random() % 21000;
    const uint32_t count = random() % 3 == 0 ? random() % 20000 : random() % 40;
    seekSource(source, offset, false);
    std::string out(count, '\x55');
    readSource(source, &out[0], count);
    std::string expected = offset < file.bytes.size() ? file.bytes.substr(offset, count) : "";
    expected.resize(count, '\0');
    ASSERT_EQ(out, expected) << offset << " " << count;
    ASSERT_EQ(source.position, int64_t(offset) + count);
  }
}

TEST(FileSource, ByteByByteReadingTouchesTheFileOncePerWindow) {
  FakeFile file;
  file.bytes.assign(3 * FileWindowBytes, 'a');
  ModuleSource source;
  openFileSource(source, &file, &FakeFile::readAt);
  char b;
  for (uint32_t i = 0; i < 3 * FileWindowBytes; ++i)
    readSource(source, &b, 1);
  EXPECT_EQ(file.reads, 3);
}

} // namespace
