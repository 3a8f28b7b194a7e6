#include "WaveOut_win32.h"

#include "XmOutput.h"

HWAVEOUT waveOutHandle;

namespace {

WAVEHDR ringHeader;
HANDLE outputThread;

uint32_t playPositionBytes(void *) {
  MMTIME time = {};
  time.wType = TIME_BYTES;
  waveOutGetPosition(waveOutHandle, &time, sizeof time);
  return time.u.cb;
}

void sleepMilliseconds(void *, uint32_t milliseconds) { Sleep(milliseconds); }

DWORD WINAPI outputThreadMain(LPVOID songEnded) {
  static const OutputDevice device{&playPositionBytes, &sleepMilliseconds, nullptr};
  runOutputLoop(device, reinterpret_cast<SongEndHandler>(songEnded));
  return 0;
}

} // namespace

void openWaveOut() {
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = OutputChannels;
  format.nSamplesPerSec = OutputRate;
  format.nAvgBytesPerSec = OutputRate * OutputFrameBytes;
  format.nBlockAlign = OutputFrameBytes;
  format.wBitsPerSample = OutputSampleBits;
  if (waveOutOpen(&waveOutHandle, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR)
    waveOutHandle = nullptr;
}

void prepareRing() {
  ringHeader = WAVEHDR{};
  ringHeader.lpData = reinterpret_cast<LPSTR>(outputRing);
  ringHeader.dwBufferLength = RingBytes;
  ringHeader.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
  ringHeader.dwLoops = 0xFFFFFFFF;
  waveOutPrepareHeader(waveOutHandle, &ringHeader, sizeof ringHeader);
}

bool playRing() {
  return waveOutHandle && waveOutWrite(waveOutHandle, &ringHeader, sizeof ringHeader) == MMSYSERR_NOERROR;
}

void closeWaveOut() {
  HWAVEOUT device = waveOutHandle;
  if (!device)
    return;
  waveOutHandle = nullptr;
  waveOutReset(device);
  waveOutUnprepareHeader(device, &ringHeader, sizeof ringHeader);
  waveOutClose(device);
}

bool startOutputThread(SongEndHandler songEnded) {
  outputThread = CreateThread(nullptr, 0, &outputThreadMain, reinterpret_cast<LPVOID>(songEnded), 0, nullptr);
  if (!outputThread)
    return false;
  SetThreadPriority(outputThread, THREAD_PRIORITY_TIME_CRITICAL);
  return true;
}

// A thread that ended by itself after a play-once song is still held here, so the
// next stop waits (at once) and closes its handle.
void endOutputThread() {
  if (outputThread) {
    stopRequest.store(1);
    WaitForSingleObject(outputThread, 4225012);
    CloseHandle(outputThread);
  }
  outputThread = nullptr;
}
