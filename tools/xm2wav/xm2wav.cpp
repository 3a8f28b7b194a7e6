// xm2wav [--seconds S] [--play-once] IN OUT.wav
// xm2wav --info IN
// IN is converted first as an intro build converts it (old XM layouts, MOD, S3M and IT files).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/stat.h>

#include "ModuleConverter.h"
#include "ModuleSource.h"
#include "ProductVersion.h"
#include "SongArena.h"
#include "XmLoader.h"
#include "XmOutput.h"
#include "XmRender.h"
#include "XmState.h"

namespace {

const char *const Usage = "usage: xm2wav [--seconds S] [--play-once] IN OUT.wav\n"
                          "       xm2wav --info IN\n"
                          "  IN: an XM of any version, a MOD, an S3M or an IT module, converted as an intro build converts it\n";

struct Options {
  bool info = false;
  bool once = false;
  double seconds = 60;
  const char *input = nullptr;
  const char *output = nullptr;
};

[[noreturn]] void usageError(const char *why) {
  std::fprintf(stderr, "xm2wav: %s\n%s", why, Usage);
  std::exit(2);
}

[[noreturn]] void fail(const char *what, const char *path, const char *why = nullptr) {
  if (why)
    std::fprintf(stderr, "xm2wav: %s: %s: %s\n", what, path, why);
  else
    std::fprintf(stderr, "xm2wav: %s: %s\n", what, path);
  std::exit(1);
}

double parseSeconds(const char *text) {
  char *end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(value >= 0) || value > 86400)
    usageError("--seconds wants a number of seconds from 0 to 86400");
  return value;
}

Options parseOptions(int argc, char **argv) {
  Options o;
  int i = 1;
  for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; ++i) {
    const std::string option = argv[i];
    if (option == "--info")
      o.info = true;
    else if (option == "--play-once")
      o.once = true;
    else if (option == "--seconds" && i + 1 < argc)
      o.seconds = parseSeconds(argv[++i]);
    else
      usageError(("unknown or incomplete option " + option).c_str());
  }
  const int wanted = o.info ? 1 : 2;
  if (argc - i != wanted)
    usageError(o.info ? "--info wants one module" : "wants a module and an output file");
  o.input = argv[i];
  o.output = o.info ? nullptr : argv[i + 1];
  return o;
}

std::string readFile(const char *path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    fail("cannot read", path);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad())
    fail("cannot read", path);
  return bytes;
}

void printInfo() {
  std::printf("channels=%d patterns=%u instruments=%u length=%u restart=%u tempo=%u bpm=%u frequencies=%s\n",
              song.channelCount, song.patternCount, song.instrumentCount, song.songLength,
              song.restartPosition, song.defaultTempo, song.defaultBpm,
              (song.flags & 1) ? "linear" : "amiga");
}

// What was converted, as toxm says it, before the render's own line.
void printConversion(const ConvertedModule &module) {
  std::printf("converted: %s\n", module.description.c_str());
  for (const std::string &warning : module.warnings)
    std::printf("warning: %s\n", warning.c_str());
}

void put16(std::string &out, uint32_t v) {
  out.push_back(char(v & 0xFF));
  out.push_back(char(v >> 8 & 0xFF));
}
void put32(std::string &out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

std::string wavHeader(uint32_t frames) {
  std::string h = "RIFF";
  put32(h, 36 + frames * 4);
  h += "WAVEfmt ";
  put32(h, 16);
  put16(h, 1); // PCM
  put16(h, 2);
  put32(h, OutputRate);
  put32(h, OutputRate * 4);
  put16(h, 4);
  put16(h, 16);
  h += "data";
  put32(h, frames * 4);
  return h;
}

// Renders through the ring exactly as the output thread does, block by block from
// the first prefill block on; returns true when the song ended before the limit.
bool render(std::string &pcm, uint32_t frameLimit) {
  fillIndex = 0;
  while (pcm.size() / 4 < frameLimit) {
    const int16_t *block = outputRing[fillIndex];
    const uint32_t frames = fillNextBlock();
    const uint32_t keep = std::min<uint32_t>(frames, frameLimit - uint32_t(pcm.size() / 4));
    pcm.append(reinterpret_cast<const char *>(block), size_t(keep) * 4);
    if (frames < BlockFrames)
      return keep == frames;
  }
  return false;
}

void removeRegularFile(const char *path) {
  struct stat info;
  if (stat(path, &info) == 0 && S_ISREG(info.st_mode))
    std::remove(path);
}

} // namespace

int main(int argc, char **argv) {
  if (PrintedVersion("xm2wav", argc, argv))
    return 0;
  const Options o = parseOptions(argc, argv);
  const std::string file = readFile(o.input);
  const ConvertedModule module = ConvertModule(reinterpret_cast<const uint8_t *>(file.data()), file.size());
  if (!module.ok)
    fail("cannot use", o.input, module.rejection.c_str());
  if (module.xm != file)
    printConversion(module);
  SongArena arena;
  ModuleSource source;
  openMemorySource(source, module.xm.data(), uint32_t(module.xm.size()));
  if (!loadSong(source, arena.heap()))
    fail("cannot load", o.input);
  if (o.info) {
    printInfo();
    return 0;
  }
  playOnce = o.once;
  paused = false;
  std::string pcm;
  const bool songEnded = render(pcm, uint32_t(o.seconds * OutputRate + 0.5));
  const uint32_t frames = uint32_t(pcm.size() / 4);
  std::ofstream out(o.output, std::ios::binary);
  out << wavHeader(frames) << pcm;
  out.close();
  if (!out) {
    removeRegularFile(o.output); // no half-written WAV is left behind
    fail("cannot write", o.output);
  }
  std::printf("frames=%u seconds=%.3f end=%s\n", frames, double(frames) / OutputRate,
              songEnded ? "song" : "limit");
  return 0;
}
