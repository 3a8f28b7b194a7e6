#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What the intro will make of each input, found with the player's own readers, so a
// build from a script can say why an intro would come out silent or blank.

struct InputVerdict {
  bool LeftOut = false; // the intro will not carry it
  std::string Why;      // empty when the input will work
};

InputVerdict CheckFont(const char *path);
InputVerdict CheckMusic(const char *path);
InputVerdict CheckIcon(const char *path);

// The reasons for bytes already read, for the checks above and their tests.
std::string FontProblem(const std::vector<uint8_t> &bytes);
std::string MusicProblem(const std::vector<uint8_t> &bytes);
