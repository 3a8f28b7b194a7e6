#include <gtest/gtest.h>

#include "IntroSettings.h"

// This program carries no settings resource, like the player before a build.
TEST(NoInfoResource, LoadSettingsLeavesTitleEmpty) {
  LoadSettings();
  EXPECT_TRUE(IntroSettings.Title.IsEmpty());
  EXPECT_EQ(IntroSettings.ScrollType, 89);
}
