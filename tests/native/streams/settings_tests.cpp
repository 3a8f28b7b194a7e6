#include <gtest/gtest.h>

#include <string>

#include "IntroSettings.h"
#include "MemoryBytes.h"
#include "UTypes.h"

namespace {
TIntroSettings Load(const std::string &resourceBytes) {
  TMemoryBytes resource(resourceBytes);
  TIntroSettings settings;
  LoadSettingsFrom(resource, settings);
  return settings;
}

std::string Str(const TByteString &s) { return std::string(s.Text(), size_t(s.Length())); }

std::string WithNul(const std::string &text) { return text + std::string(1, '\0'); }

int32_t Parse(const std::string &text) { return ParseInteger(text.data(), int32_t(text.size())); }
} // namespace

TEST(LoadSettings, ReadsAllFiveFields) {
  TIntroSettings s = Load(WithNul("Hello|Hi all|89|1|0"));
  EXPECT_EQ(Str(s.Title), "Hello");
  EXPECT_EQ(Str(s.ScrollText), "Hi all");
  EXPECT_EQ(s.ScrollType, 89);
  EXPECT_EQ(Str(s.CloseOnClick), "1");
  EXPECT_EQ(Str(s.FullScreen), "0");
}

TEST(LoadSettings, NoResourceKeepsInitialValues) {
  TIntroSettings s = Load("");
  EXPECT_TRUE(s.Title.IsEmpty());
  EXPECT_EQ(s.ScrollType, 89);
  EXPECT_EQ(Str(s.CloseOnClick), "0");
  EXPECT_EQ(Str(s.FullScreen), "0");
}

TEST(LoadSettings, TextWithoutSeparatorGivesEmptyTitle) {
  TIntroSettings s = Load(WithNul("Hello"));
  EXPECT_TRUE(s.Title.IsEmpty());
  EXPECT_TRUE(s.ScrollText.IsEmpty());
  EXPECT_EQ(s.ScrollType, 0);
  EXPECT_EQ(Str(s.CloseOnClick), "H");
  EXPECT_EQ(Str(s.FullScreen), "H");
}

TEST(LoadSettings, ThreeFieldsLeaveTypeZeroAndFlagsFromWhatIsLeft) {
  TIntroSettings s = Load(WithNul("A|B|C"));
  EXPECT_EQ(Str(s.Title), "A");
  EXPECT_EQ(Str(s.ScrollText), "B");
  EXPECT_EQ(s.ScrollType, 0);
  EXPECT_EQ(Str(s.CloseOnClick), "C");
  EXPECT_EQ(Str(s.FullScreen), "C");
}

TEST(LoadSettings, NothingAfterTypeSeparatorTurnsBothFlagsOff) {
  TIntroSettings s = Load("A|B|52|");
  EXPECT_EQ(s.ScrollType, 52);
  EXPECT_TRUE(s.CloseOnClick.IsEmpty());
  EXPECT_TRUE(s.FullScreen.IsEmpty());
}

TEST(LoadSettings, EmptyTitleWithScrollText) {
  TIntroSettings s = Load(WithNul("|Hi all|89|0|0"));
  EXPECT_TRUE(s.Title.IsEmpty());
  EXPECT_EQ(Str(s.ScrollText), "Hi all");
}

TEST(LoadSettings, TypeKeepsLow16BitsAndIgnoresTrailingText) {
  EXPECT_EQ(Load(WithNul("T|S| 88|0|0")).ScrollType, 88);
  EXPECT_EQ(Load(WithNul("T|S|88x|0|0")).ScrollType, 88);
  EXPECT_EQ(Load(WithNul("T|S|65625|0|0")).ScrollType, 89);
  EXPECT_EQ(Load(WithNul("T|S|65535|0|0")).ScrollType, -1);
}

TEST(LoadSettings, FlagsTakeOnlyTheFirstCharacterAndTheNulNeverShows) {
  TIntroSettings s = Load(WithNul("T|S|0|10|1"));
  EXPECT_EQ(Str(s.CloseOnClick), "1");
  EXPECT_EQ(Str(s.FullScreen), "1");
}

TEST(ComposeSettingsText, BuilderDefaultsMakeA19ByteResource) {
  SettingsFields f;
  f.Title = "Hello";
  f.ScrollText = "Hi all";
  std::string text = ComposeSettingsText(f);
  EXPECT_EQ(text, "Hello|Hi all|0|0|0");
  EXPECT_EQ(text.size() + 1, 19u);
}

TEST(ComposeSettingsText, AllFieldsRoundTripThroughThePlayer) {
  SettingsFields f;
  f.Title = "a|b";
  f.ScrollText = "x|y|z";
  f.ScrollType = ScrollWaveXYZ;
  f.CloseOnClick = true;
  f.FullScreen = true;
  std::string text = ComposeSettingsText(f);
  EXPECT_EQ(text, "a b|x y z|52|1|1");
  TIntroSettings s = Load(WithNul(text));
  EXPECT_EQ(Str(s.Title), "a b");
  EXPECT_EQ(Str(s.ScrollText), "x y z");
  EXPECT_EQ(s.ScrollType, 52);
  EXPECT_EQ(Str(s.CloseOnClick), "1");
  EXPECT_EQ(Str(s.FullScreen), "1");
}

TEST(ParseInteger, DecimalWithBlanksAndSigns) {
  EXPECT_EQ(Parse("89"), 89);
  EXPECT_EQ(Parse("   42"), 42);
  EXPECT_EQ(Parse("-17"), -17);
  EXPECT_EQ(Parse("+17"), 17);
  EXPECT_EQ(Parse("- 1"), 0);
  EXPECT_EQ(Parse(""), 0);
  EXPECT_EQ(Parse("abc"), 0);
  EXPECT_EQ(Parse("12a3"), 12);
}

TEST(ParseInteger, HexadecimalPrefixes) {
  EXPECT_EQ(Parse("$1F"), 31);
  EXPECT_EQ(Parse("x1f"), 31);
  EXPECT_EQ(Parse("X10"), 16);
  EXPECT_EQ(Parse("0x7fffffff"), INT32_MAX);
  EXPECT_EQ(Parse("0XaBg"), 0xAB);
  EXPECT_EQ(Parse("-$10"), 0);
}

TEST(ParseInteger, StopsBeforeOverflow) {
  EXPECT_EQ(Parse("2147483647"), INT32_MAX);
  EXPECT_EQ(Parse("21474836470"), INT32_MAX);
  // The last digit that would leave the range of its sign is not taken.
  EXPECT_EQ(Parse("2147483648"), 214748364);
  EXPECT_EQ(Parse("-2147483648"), INT32_MIN);
  EXPECT_EQ(Parse("-2147483649"), -214748364);
  EXPECT_EQ(Parse("99999999999"), 999999999);
  EXPECT_EQ(Parse("$123456789"), 0x12345678);
  EXPECT_EQ(Parse("0xFFFFFFFF0"), -1);
}
