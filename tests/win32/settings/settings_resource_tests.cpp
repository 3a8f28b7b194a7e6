#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "IntroSettings.h"
#include "StreamUnit/ResourceStream.h"

namespace {
std::string Str(const TByteString &s) { return std::string(s.Text(), size_t(s.Length())); }
} // namespace

TEST(ResourceSettings, LoadSettingsReadsOwnInfoResource) {
  LoadSettings();
  EXPECT_EQ(Str(IntroSettings.Title), "Hello");
  EXPECT_EQ(Str(IntroSettings.ScrollText), "Hi all");
  EXPECT_EQ(IntroSettings.ScrollType, 89);
  EXPECT_EQ(Str(IntroSettings.CloseOnClick), "1");
  EXPECT_EQ(Str(IntroSettings.FullScreen), "0");
}

TEST(ResourceStream, FindsResourceByNameInAnyCaseAndCountsTheNul) {
  TResourceStream info(GetModuleHandleA(nullptr), "Info", RT_RCDATA);
  EXPECT_EQ(info.GetSize(), 20);
  char bytes[20];
  EXPECT_EQ(info.Read(bytes, 20), 20);
  EXPECT_EQ(std::string(bytes, 20), std::string("Hello|Hi all|89|1|0") + '\0');
  EXPECT_EQ(info.Write("x", 1), 0);
}

TEST(ResourceStream, MissingResourceIsEmptyAndReadsNothing) {
  TResourceStream missing(GetModuleHandleA(nullptr), "MUSIC", RT_RCDATA);
  EXPECT_EQ(missing.GetMemory(), nullptr);
  EXPECT_EQ(missing.GetSize(), 0);
  char byte = 'k';
  EXPECT_EQ(missing.Read(&byte, 1), 0);
  EXPECT_EQ(byte, 'k');
  TStringStream copy;
  EXPECT_EQ(copy.CopyFromStream(missing, 0), 0);
  EXPECT_EQ(copy.GetDataString().Length(), 0);
}
