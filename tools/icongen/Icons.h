#pragma once
#include <string>

// The demo intro's icon: a sine wave over a dark sky of light streaks, at 16, 32 and
// 48 pixels, 32 bits each.
std::string IntroIconFile();

// The builder's own icon: a wrench over a sine wave, one 48-pixel image of 16 colours,
// as the builder's resources want it.
std::string BuilderIconFile();
