#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MemoryBytes.h"

namespace {
std::string Text(const TStringStream &s) {
  return std::string(s.GetDataString().Text(), size_t(s.GetDataString().Length()));
}

// Records the size of every block written to it, and keeps the bytes.
class TBlockRecorder : public TStringStream {
public:
  std::vector<int32_t> blocks;
  int32_t Write(const void *buffer, int32_t count) override {
    blocks.push_back(count);
    return TStringStream::Write(buffer, count);
  }
};

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i)
    s[i] = char(i * 7 + i / 251);
  return s;
}
} // namespace

TEST(CopyFromStream, MovesLargeSourceInBlocksOf61440) {
  const std::string bytes = Pattern(100000);
  TMemoryBytes source(bytes);
  TBlockRecorder target;
  EXPECT_EQ(target.CopyFromStream(source, 100000), 100000);
  EXPECT_EQ(target.blocks, (std::vector<int32_t>{61440, 38560}));
  EXPECT_EQ(Text(target), bytes);
}

TEST(CopyFromStream, CountZeroCopiesWholeSourceFromItsStart) {
  TMemoryBytes source("abcdefgh");
  source.Seek(5, soBeginning);
  TStringStream target;
  EXPECT_EQ(target.CopyFromStream(source, 0), 8);
  EXPECT_EQ(Text(target), "abcdefgh");
}

TEST(CopyFromStream, CountFromCurrentPositionAppendsAtTargetPosition) {
  TMemoryBytes source("abcdefgh");
  source.Seek(2, soBeginning);
  TStringStream target(TByteString("XYZ"));
  target.Seek(1, soBeginning);
  EXPECT_EQ(target.CopyFromStream(source, 3), 3);
  EXPECT_EQ(Text(target), "Xcde");
}

TEST(CopyFromStream, EmptySourceCopiesNothing) {
  TMemoryBytes source("");
  TBlockRecorder target;
  EXPECT_EQ(target.CopyFromStream(source, 0), 0);
  EXPECT_TRUE(target.blocks.empty());
}

TEST(CopyFromStream, ShortSourceIsNotDetected) {
  TMemoryBytes source("abc");
  TBlockRecorder target;
  EXPECT_EQ(target.CopyFromStream(source, 10), 10);
  EXPECT_EQ(target.blocks, std::vector<int32_t>{10});
  EXPECT_EQ(target.GetDataString().Length(), 10);
}

TEST(CopyFromStream, NegativeCountsMoveNothing) {
  TStringStream target(TByteString("abc"));
  target.Seek(1, soBeginning);
  EXPECT_EQ(target.Write("x", -1), 0);
  TMemoryBytes source("defg");
  source.Seek(2, soBeginning);
  EXPECT_EQ(target.CopyFromStream(source, -5), -5);
  EXPECT_EQ(Text(target), "abc");
  EXPECT_EQ(target.GetPositionField(), 1);
  EXPECT_EQ(source.GetPositionField(), 2);
}

TEST(MemoryStream, ReadStopsAtEndAndAtBadPositions) {
  TMemoryBytes s("abcdef");
  char buf[8] = "-------";
  s.Seek(4, soBeginning);
  EXPECT_EQ(s.Read(buf, 8), 2);
  EXPECT_EQ(std::string(buf, 3), "ef-");
  EXPECT_EQ(s.Read(buf, 8), 0);

  s.Seek(-1, soBeginning);
  EXPECT_EQ(s.Read(buf, 4), 0);
  EXPECT_EQ(s.GetPositionField(), -1);

  s.Seek(3, soEnd);
  EXPECT_EQ(s.GetPositionField(), 9);
  EXPECT_EQ(s.Read(buf, 4), 0);

  s.Seek(0, soBeginning);
  EXPECT_EQ(s.Read(buf, -3), 0);
  EXPECT_EQ(s.GetPositionField(), 0);
}

TEST(MemoryStream, SeekIsUnlimitedAndUnknownOriginKeepsPosition) {
  TMemoryBytes s("abcdef");
  EXPECT_EQ(s.Seek(2, soBeginning), 2);
  EXPECT_EQ(s.Seek(3, soCurrent), 5);
  EXPECT_EQ(s.Seek(-10, soEnd), -4);
  EXPECT_EQ(s.Seek(100, 7), -4);
}

// A hostile offset moves the position round the 32-bit range, never into overflow.
TEST(MemoryStream, SeekPastTheInt32RangeWrapsRound) {
  TMemoryBytes s("abcdef");
  char buf[4] = "---";
  s.Seek(2, soBeginning);
  EXPECT_EQ(s.Seek(INT32_MAX, soCurrent), INT32_MIN + 1);
  EXPECT_EQ(s.Read(buf, 3), 0);
  EXPECT_EQ(s.Seek(INT32_MAX, soCurrent), 0);
  EXPECT_EQ(s.Seek(INT32_MAX - 1, soEnd), INT32_MIN + 4);
  EXPECT_EQ(s.Read(buf, 3), 0);
  EXPECT_EQ(std::string(buf, 3), "---");
}

TEST(MemoryStream, BaseSetSizeChangesNothing) {
  TMemoryBytes s("abcdef");
  s.SetSize(2);
  s.SetSize64(3);
  EXPECT_EQ(s.GetSize(), 6);
}

TEST(StreamSize, GetSizeLeavesPositionWhereItWas) {
  TMemoryBytes s("0123456789");
  s.Seek(7, soBeginning);
  EXPECT_EQ(s.GetSize(), 10);
  EXPECT_EQ(s.GetPositionField(), 7);
}

TEST(StreamSize, Seek64OutsideInt32RangeMovesNothing) {
  TMemoryBytes s("0123456789");
  s.Seek(3, soBeginning);
  EXPECT_EQ(s.Seek64(int64_t(1) << 32, soBeginning), 0);
  EXPECT_EQ(s.GetPositionField(), 3);
  EXPECT_EQ(s.Seek64(5, soBeginning), 5);
}

TEST(StringStream, SeekClampsAndCountsBackwardsFromEnd) {
  TStringStream s(TByteString("abcdef"));
  EXPECT_EQ(s.Seek(3, soEnd), 3);
  EXPECT_EQ(s.Seek(10, soBeginning), 6);
  EXPECT_EQ(s.Seek(-4, soBeginning), 0);
  EXPECT_EQ(s.Seek(-2, soEnd), 6);
  s.Seek(2, soBeginning);
  EXPECT_EQ(s.Seek(-5, soCurrent), 0);
}

TEST(StringStream, WriteEndsTheStringAtTheWrittenBlock) {
  TStringStream s(TByteString("abcdef"));
  s.Seek(2, soBeginning);
  EXPECT_EQ(s.Write("XY", 2), 2);
  EXPECT_EQ(Text(s), "abXY");
  EXPECT_EQ(s.GetPositionField(), 4);
  EXPECT_EQ(s.Write("", 0), 0);
  EXPECT_EQ(Text(s), "abXY");
  s.Seek(1, soBeginning);
  EXPECT_EQ(s.Write("", 0), 0);
  EXPECT_EQ(Text(s), "a");
}

TEST(StringStream, ReadGivesWhatIsLeft) {
  TStringStream s(TByteString("abcdef"));
  char buf[4] = {};
  s.Seek(4, soBeginning);
  EXPECT_EQ(s.Read(buf, 4), 2);
  EXPECT_EQ(std::string(buf, 2), "ef");
  EXPECT_EQ(s.Read(buf, 4), 0);
  EXPECT_EQ(s.Read(buf, -1), 0);
}

TEST(StringStream, SetSizeCutsAndPullsPositionBack) {
  TStringStream s(TByteString("abcdef"));
  s.Seek(5, soBeginning);
  s.SetSize(2);
  EXPECT_EQ(Text(s), "ab");
  EXPECT_EQ(s.GetPositionField(), 2);
  s.SetSize(4);
  EXPECT_EQ(s.GetDataString().Length(), 4);
  EXPECT_EQ(s.GetDataString()[3], '\0');
  EXPECT_EQ(s.GetPositionField(), 2);
}

TEST(StringStream, SetSize64OutsideInt32RangeDoesNothing) {
  TStringStream s(TByteString("abcdef"));
  s.SetSize64(int64_t(1) << 32);
  s.SetSize64(int64_t(INT32_MIN) - 1);
  EXPECT_EQ(Text(s), "abcdef");
  s.SetSize64(3);
  EXPECT_EQ(Text(s), "abc");
}
