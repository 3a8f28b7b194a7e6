#pragma once
#include <cstdint>
#include <string>

// Where an intro's bytes go: the player and each resource added to it, as sinebuild
// reports them after a build.
struct TIntroSizes {
  uint32_t Total = 0;
  uint32_t Player = 0;
  uint32_t Font = 0;
  uint32_t Music = 0;
  uint32_t Icon = 0; // the images and their group directory
  uint32_t IconImages = 0;
  uint32_t Settings = 0;
};

// 131584 as "131,584".
std::string GroupedNumber(uint64_t n);
// "intro.exe: 131,584 bytes (player 30,208; font 62,328; ...; settings 27)"; a part the
// intro does not carry is left out.
std::string IntroSizesText(const std::string &name, const TIntroSizes &sizes);
// "43% of 131,584": what packing kept of the unpacked size.
std::string PackedShareText(uint32_t packed, uint32_t unpacked);

#ifdef _WIN32
// 0 when the file cannot be found.
uint32_t FileSize(const char *path);
// Reads the sizes back from the written intro; the player's from the builder's own
// copy of it.
TIntroSizes MeasureIntro(const char *path);
#endif
