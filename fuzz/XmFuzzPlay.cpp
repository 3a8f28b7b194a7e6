#include "XmFuzzPlay.h"

#include "FuzzCheck.h"
#include "SongArena.h"
#include "XmLoader.h"
#include "XmOutput.h"
#include "XmRender.h"
#include "XmState.h"

namespace {

// At one frame per tick, 64 blocks are over 50,000 ticks: a quarter of an hour of a
// song at speed 6 and 125 BPM.
constexpr uint32_t RenderBlocks = 64;
// Every fourth block of a forced tempo plays 16 frames a tick, long enough for the
// vector kernel's eight-frame groups; one frame a tick mixes with the scalar code.
constexpr uint32_t GroupTempo = 120000 / 16;
// A module of a few bytes may ask for gigabytes of samples; a small heap keeps a run
// fast and takes the loader through running out of memory.
constexpr size_t HeapLimit = size_t(32) << 20;

uint32_t forcedBpm(uint8_t control) { return control * 257u; }

uint32_t tempoOfBlock(uint32_t bpm, uint32_t block) { return block % 4 == 3 ? GroupTempo : bpm; }

// The replay reads the pattern of the current order and its current row without a
// check; both must always exist.
void checkSongPosition() {
  FUZZ_CHECK(song.order >= 0 && song.order < song.songLength);
  const uint8_t pattern = song.orderTable[song.order];
  FUZZ_CHECK(pattern < song.patternCount && song.row >= 0 && song.row < song.patterns[pattern].rows);
}

} // namespace

void playFuzzedModule(ModuleSource &source, const uint8_t *controls) {
  SongArena arena(HeapLimit);
  if (!loadSong(source, arena.heap()))
    return;
  const uint32_t bpm = forcedBpm(controls[0]);
  playOnce = (controls[1] & 1) != 0;
  paused = false;
  fillIndex = 0;
  for (uint32_t block = 0; block < RenderBlocks; ++block) {
    // Re-forced before every block: the module's own Fxx would slow it down again.
    if (bpm != 0)
      setTempo(tempoOfBlock(bpm, block));
    if (fillNextBlock() < BlockFrames)
      return;
    checkSongPosition();
  }
}
