// Benchmarks of the mixer and of whole-song rendering, and the same songs rendered by
// libxmp in the same run. Items are output frames; compare items_per_second.
#include <benchmark/benchmark.h>
#include <xmp.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ModuleSource.h"
#include "SongArena.h"
#include "XmLoader.h"
#include "XmMixer.h"
#include "XmRender.h"
#include "XmState.h"
#include "XmWriter.h"

namespace {

constexpr uint32_t SongSeconds = 60;
constexpr uint32_t SongBlocks = SongSeconds * OutputRate / BlockFrames;

std::string readFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool loadBytes(const std::string &bytes, SongArena &arena) {
  arena.releaseAll();
  ModuleSource source;
  openMemorySource(source, bytes.data(), uint32_t(bytes.size()));
  return loadSong(source, arena.heap());
}

// `channels` channels, each voice on a looped 4096-frame sample at its own
// non-integer step, steady gain (no ramp), the common case inside a tick.
void BM_MixVoices(benchmark::State &state) {
  const int channels = int(state.range(0));
  XmModuleSpec m;
  m.channels = channels;
  m.addPattern(1);
  std::vector<int16_t> wave(4096);
  for (size_t i = 0; i < wave.size(); ++i)
    wave[i] = int16_t((i * 37) % 20000 - 10000);
  XmSampleSpec &s = m.addInstrument().addSample(wave);
  s.loopType = 1;
  s.loopStart = 100;
  s.loopLength = 3996;
  SongArena arena;
  if (!loadBytes(writeXm(m), arena)) {
    state.SkipWithError("module did not load");
    return;
  }
  for (int i = 0; i < 2 * channels; ++i) {
    MixVoice &v = song.voices[i];
    v.sample = song.instruments[0].samples[0];
    v.stepInteger = 0;
    v.stepFraction = 0x9000000u * uint32_t(i + 5);
    v.targetLeft = v.targetRight = 90;
    v.lastTargetLeft = v.lastTargetRight = 90;
    v.currentLeft = v.currentRight = 90 * 128;
  }
  std::vector<int32_t> mix(2 * BlockFrames);
  for (auto _ : state) {
    mixVoices(mix.data(), BlockFrames);
    benchmark::DoNotOptimize(mix.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * BlockFrames);
}
BENCHMARK(BM_MixVoices)->Arg(4)->Arg(8)->Arg(32);

void renderOurs(benchmark::State &state, const std::string &bytes) {
  SongArena arena;
  std::vector<int16_t> block(2 * BlockFrames);
  for (auto _ : state) {
    state.PauseTiming();
    const bool loaded = loadBytes(bytes, arena);
    paused = playOnce = false;
    state.ResumeTiming();
    if (!loaded) {
      state.SkipWithError("module did not load");
      return;
    }
    for (uint32_t i = 0; i < SongBlocks; ++i)
      renderBlock(block.data());
    benchmark::DoNotOptimize(block.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * SongBlocks * BlockFrames);
}

void renderLibxmp(benchmark::State &state, const std::string &bytes) {
  xmp_context context = xmp_create_context();
  if (xmp_load_module_from_memory(context, bytes.data(), long(bytes.size())) != 0) {
    state.SkipWithError("libxmp did not load the module");
    xmp_free_context(context);
    return;
  }
  std::vector<int16_t> block(2 * BlockFrames);
  for (auto _ : state) {
    state.PauseTiming();
    xmp_start_player(context, int(OutputRate), 0);
    xmp_set_player(context, XMP_PLAYER_INTERP, XMP_INTERP_LINEAR);
    state.ResumeTiming();
    for (uint32_t i = 0; i < SongBlocks; ++i)
      xmp_play_buffer(context, block.data(), int(block.size() * 2), 0);
    benchmark::DoNotOptimize(block.data());
    state.PauseTiming();
    xmp_end_player(context);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * SongBlocks * BlockFrames);
  xmp_release_module(context);
  xmp_free_context(context);
}

// One pair of benchmarks per song of the corpus, ours first.
void registerSongs() {
  std::vector<std::filesystem::path> songs;
  std::error_code error;
  for (const auto &entry : std::filesystem::directory_iterator(XM_CORPUS_DIR "/music", error))
    if (entry.path().extension() == ".xm")
      songs.push_back(entry.path());
  std::sort(songs.begin(), songs.end());
  for (const auto &path : songs) {
    const std::string bytes = readFile(path.string());
    const std::string name = path.stem().string();
    benchmark::RegisterBenchmark(("BM_RenderSong/ours/" + name).c_str(), [bytes](benchmark::State &state) {
      renderOurs(state, bytes);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("BM_RenderSong/libxmp/" + name).c_str(), [bytes](benchmark::State &state) {
      renderLibxmp(state, bytes);
    })->Unit(benchmark::kMillisecond);
  }
}

} // namespace

int main(int argc, char **argv) {
  registerSongs();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
