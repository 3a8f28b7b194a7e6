#pragma once

// Called on the rendering thread when a play-once song ends: releases the device and
// the song's memory at once, without waiting (the output thread then ends itself).
void endPlayedSong();
