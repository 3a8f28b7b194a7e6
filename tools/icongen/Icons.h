#pragma once
#include <string>

// The demo intro's icon: a sine wave over a dark sky of light streaks, at 16, 32 and
// 48 pixels of 256 colours each. The packer leaves icon images as they are, so every
// byte counts: 8-bit images take half the bytes of 32-bit ones and show on every
// Windows, where PNG images would be smaller still but show only from Vista on.
std::string IntroIconFile();

// The builder's own icon: a wrench over a sine wave, one 48-pixel image of 16 colours,
// as the builder's resources want it.
std::string BuilderIconFile();
