#pragma once
#include <windows.h>

#include <mmsystem.h>

#include "XmOutput.h"

// The wave-out device and the output thread (Windows only).

// The device handle slot; startSong hands out its address.
extern HWAVEOUT waveOutHandle;

// Opens the 48 kHz 16-bit stereo device into waveOutHandle; a failure leaves it null.
void openWaveOut();
// Describes the ring as one endlessly looping buffer and prepares it.
void prepareRing();
// Starts the device on the ring; false when it refuses (or never opened).
bool playRing();
// Clears the slot, then resets, unprepares and closes the device, if one is held.
void closeWaveOut();

// Starts the time-critical output thread, which calls `songEnded` when a play-once
// song ends; false when it could not be created.
bool startOutputThread(SongEndHandler songEnded);
// Asks the output thread to end and waits for it, if one is held.
void endOutputThread();
