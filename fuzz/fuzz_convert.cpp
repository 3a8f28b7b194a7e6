// The module converter over any bytes (MOD and XM of every layout): what it accepts,
// the player's own loader must load, and the song must play.
#include "FuzzCheck.h"
#include "ModuleConverter.h"
#include "SongArena.h"
#include "XmFuzzPlay.h"
#include "XmLoader.h"

namespace {
// The song's own tempo, to its end.
const uint8_t PlayControls[XmControlBytes] = {0, 1};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const ConvertedModule m = ConvertModule(data, size);
  FUZZ_CHECK(m.ok == m.rejection.empty());
  if (!m.ok)
    return 0;
  FUZZ_CHECK(!m.description.empty());
  ModuleSource source;
  {
    SongArena arena;
    openMemorySource(source, m.xm.data(), uint32_t(m.xm.size()));
    FUZZ_CHECK(loadSong(source, arena.heap()));
  }
  openMemorySource(source, m.xm.data(), uint32_t(m.xm.size()));
  playFuzzedModule(source, PlayControls);
  return 0;
}
