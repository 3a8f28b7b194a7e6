#pragma once
#include <cstring>

#include "Scene.h"

// Puts the scene's module state back to where a fresh program starts, so each test
// sees the frames of a new run.
inline void ResetSceneMotion() {
  memset(Stars, 0, sizeof Stars);
  memset(StarSpeed, 0, sizeof StarSpeed);
  memset(WaveTable, 0, sizeof WaveTable);
  RandomSeed = 0;
  FramePhase = 0;
  ScrollOffset = 0;
  ScrollSpeed = 0;
}
