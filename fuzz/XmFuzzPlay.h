#pragma once
#include <cstddef>
#include <cstdint>

#include "ModuleSource.h"

// What the XM targets share: the input starts with two control bytes, then the
// module. The first byte forces a tempo (0 keeps the module's own; n plays at
// n x 257 BPM, up to one frame per tick at 255, with every fourth block at 16 frames
// a tick), so that one run reaches far into the song, where long slides and loops
// misbehave. Bit 0 of the second byte plays the song once, so its end is reached too.
constexpr size_t XmControlBytes = 2;

// Loads the module from `source` and renders it block by block, checking after
// every block that the song position is one the module has.
void playFuzzedModule(ModuleSource &source, const uint8_t *controls);
