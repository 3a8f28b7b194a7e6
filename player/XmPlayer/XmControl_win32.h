#pragma once

// Called on the rendering thread when a play-once song ends: releases the device and
// the song's memory at once, without waiting (the output thread then ends itself).
void endPlayedSong();

// The song's private heap while a song is loaded, null otherwise: lets tests see that
// exactly this heap is gone after a stop, whatever heaps Wine makes meanwhile.
void *currentSongHeap();
