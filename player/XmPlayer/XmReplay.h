#pragma once

// The song position and the ticks: the top of the replay.

// One tick of the song (row tick or later tick) for every channel. Returns false when
// the song has ended with playOnce set; nothing of that tick is rendered.
bool runTick();
