#include <windows.h>

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ModuleSource_win32.h"
#include "SongArena.h"
#include "XmLoader.h"
#include "XmOutput.h"
#include "XmPlayer.h"
#include "XmControl_win32.h"
#include "XmRender.h"
#include "XmState.h"
#include "XmWriter.h"

// startSong and stopSong on the real wave-out device. The ALSA file plugin behind
// Wine gives a device without a sound card and writes what it plays to XM_CAPTURE.
// Wine starts threads of its own on the first device open; they stay, so the
// device is opened and closed once before each test.

namespace {

std::string readWholeFile(const std::string &path) {
  std::string bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return bytes;
  bytes.resize(GetFileSize(file, nullptr));
  DWORD got = 0;
  if (!bytes.empty())
    ReadFile(file, &bytes[0], DWORD(bytes.size()), &got, nullptr);
  CloseHandle(file);
  bytes.resize(got);
  return bytes;
}

// Wine's own audio threads come and go, so a thread count proves nothing; a ring
// that stays unchanged shows that no output thread renders any more.
bool ringStaysStill() {
  static int16_t before[RingBlocks][2 * BlockFrames];
  std::memcpy(before, outputRing, sizeof before);
  Sleep(100);
  return std::memcmp(before, outputRing, sizeof before) == 0;
}

bool isLiveHeap(void *heap) {
  HANDLE heaps[1024];
  const DWORD count = GetProcessHeaps(1024, heaps);
  for (DWORD i = 0; i < count && i < 1024; ++i)
    if (heaps[i] == heap)
      return true;
  return false;
}

// The first blocks the output thread should have handed to the device, rendered here
// by the same code after the song has stopped.
std::string ownRender(const std::string &module, uint32_t blocks) {
  SongArena arena;
  ModuleSource source;
  openMemorySource(source, module.data(), uint32_t(module.size()));
  if (!loadSong(source, arena.heap()))
    return "";
  playOnce = paused = false;
  fillIndex = 0;
  std::string pcm;
  for (uint32_t i = 0; i < blocks; ++i) {
    const int16_t *block = outputRing[fillIndex];
    fillNextBlock();
    pcm.append(reinterpret_cast<const char *>(block), BlockBytes);
  }
  fillIndex = 0;
  return pcm;
}

// A short song: two rows of 6 ticks at 32 BPM, so play-once ends after one row,
// 22500 frames: after the 16384 of the prefill.
std::string shortSong() {
  XmModuleSpec m;
  m.bpm = 32;
  m.addPattern(2).cell(0, 0) = {49, 1, 0, 0, 0};
  m.addInstrument().addSample({1000, -1000});
  return writeXm(m);
}

void openAndCloseTheDeviceOnce() {
  WAVEFORMATEX format = {WAVE_FORMAT_PCM, 2, 48000, 192000, 4, 16, 0};
  HWAVEOUT device = nullptr;
  if (waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) == MMSYSERR_NOERROR)
    waveOutClose(device);
}

class Playback : public ::testing::Test {
protected:
  void SetUp() override {
    stopSong();
    openAndCloseTheDeviceOnce();
  }
  // Remembers the heap of the song that just started.
  void expectOwnHeap() {
    songHeap = currentSongHeap();
    EXPECT_NE(songHeap, nullptr);
    EXPECT_TRUE(isLiveHeap(songHeap));
  }
  void expectNothingLeft(void *slot) {
    if (slot) {
      EXPECT_EQ(*static_cast<HWAVEOUT *>(slot), nullptr);
    }
    EXPECT_TRUE(ringStaysStill());
    EXPECT_EQ(currentSongHeap(), nullptr);
    if (songHeap) {
      EXPECT_FALSE(isLiveHeap(songHeap));
    }
  }
  // Plays for a second, stops, and compares what the device played with our render.
  void playAndCompare(const void *source, uintptr_t length, uint32_t flags) {
    void *slot = startSong(source, length, flags);
    ASSERT_NE(slot, nullptr);
    EXPECT_NE(*static_cast<HWAVEOUT *>(slot), nullptr);
    expectOwnHeap();
    Sleep(1000);
    EXPECT_FALSE(ringStaysStill()) << "no output thread refills the ring";
    const DWORD before = GetTickCount();
    stopSong();
    EXPECT_LT(GetTickCount() - before, 1000u);
    expectNothingLeft(slot);
    const uint32_t blocks = 32; // 0.68 s: the prefill and 16 refills
    const std::string captured = readWholeFile(std::string(XM_CAPTURE)).substr(0, blocks * BlockBytes);
    ASSERT_EQ(captured.size(), blocks * BlockBytes) << "nothing captured at " << std::string(XM_CAPTURE);
    EXPECT_TRUE(captured == ownRender(module, blocks)) << "the device played other samples than rendered";
  }
  std::string module = readWholeFile(std::string(XM_TEST_MODULE));
  void *songHeap = nullptr;
};

TEST_F(Playback, FromMemoryPlaysWhatWasRendered) {
  ASSERT_FALSE(module.empty()) << std::string(XM_TEST_MODULE);
  playAndCompare(module.data(), module.size(), SourceMemory);
}

TEST_F(Playback, FromFilePlaysWhatWasRendered) {
  ASSERT_FALSE(module.empty()) << std::string(XM_TEST_MODULE);
  playAndCompare(std::string(XM_TEST_MODULE).c_str(), 0, SourceFile);
}

TEST_F(Playback, FileAndMemorySourcesLoadTheSameSong) {
  SongArena arena;
  ModuleSource source;
  openFileSourceByPath(source, XM_TEST_MODULE);
  ASSERT_TRUE(loadSong(source, arena.heap()));
  closeSource(source);
  playOnce = paused = false;
  fillIndex = 0;
  std::string pcm;
  for (uint32_t i = 0; i < 32; ++i) {
    const int16_t *block = outputRing[fillIndex];
    fillNextBlock();
    pcm.append(reinterpret_cast<const char *>(block), BlockBytes);
  }
  EXPECT_TRUE(pcm == ownRender(module, 32));
}

TEST_F(Playback, FiftyStartsAndStopsInARow) {
  for (int i = 0; i < 50; ++i) {
    void *slot = startSong(module.data(), module.size(), SourceMemory);
    ASSERT_NE(slot, nullptr) << i;
    void *heap = currentSongHeap();
    ASSERT_TRUE(isLiveHeap(heap)) << i;
    stopSong();
    ASSERT_EQ(*static_cast<HWAVEOUT *>(slot), nullptr) << i;
    ASSERT_FALSE(isLiveHeap(heap)) << i;
  }
  expectNothingLeft(nullptr);
}

TEST_F(Playback, StartingAgainStopsTheOldSongFirst) {
  ASSERT_NE(startSong(module.data(), module.size(), SourceMemory), nullptr);
  void *slot = startSong(module.data(), module.size(), SourceMemory | StartPaused);
  ASSERT_NE(slot, nullptr);
  expectOwnHeap();
  stopSong();
  expectNothingLeft(slot);
}

TEST_F(Playback, MissingResourceReturnsNullAndLeavesNothingOpen) {
  EXPECT_EQ(startSong("Music", 0, SourceResource), nullptr);
  expectNothingLeft(nullptr);
  stopSong();
  expectNothingLeft(nullptr);
}

TEST_F(Playback, MissingFileAndBrokenModuleReturnNull) {
  EXPECT_EQ(startSong("Z:\\no\\such\\module.xm", 0, SourceFile), nullptr);
  EXPECT_EQ(startSong(module.data(), 200, SourceMemory), nullptr);
  expectNothingLeft(nullptr);
}

TEST_F(Playback, PlayOnceEndReleasesEverythingByItself) {
  const std::string song = shortSong();
  void *slot = startSong(song.data(), song.size(), SourceMemory | PlayOnce);
  ASSERT_NE(slot, nullptr);
  expectOwnHeap();
  // The output thread clears the slot first, then closes the device and the heap.
  for (int i = 0; i < 100 && (*static_cast<HWAVEOUT *>(slot) || currentSongHeap()); ++i)
    Sleep(50);
  EXPECT_EQ(*static_cast<HWAVEOUT *>(slot), nullptr);
  EXPECT_FALSE(isLiveHeap(songHeap));
  stopSong();
  expectNothingLeft(slot);
}

TEST_F(Playback, PlayOnceSongEndingInThePrefillReturnsNull) {
  XmModuleSpec m;
  m.addPattern(1);
  const std::string song = writeXm(m); // ends at its first row tick
  EXPECT_EQ(startSong(song.data(), song.size(), SourceMemory | PlayOnce), nullptr);
  expectNothingLeft(nullptr);
}

} // namespace
