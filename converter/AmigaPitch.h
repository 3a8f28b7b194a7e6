#pragma once
#include <cstdint>

// Amiga periods as XM notes of the same pitch.

// The XM note (1..96) nearest to the pitch of a MOD period; 0 when there is none.
uint8_t PeriodToNote(uint16_t period);

// What an XM sample stores so that its notes play at the pitch of a MOD sample of
// this finetune (-8..7, eighths of a semitone) on a PAL Amiga.
struct XmTuning {
  int8_t relativeNote;
  int8_t finetune;
};
XmTuning TuningForFinetune(int modFinetune);

// The period ProTracker plays an XM note at (PeriodToNote's inverse) with a sample of
// this finetune.
int AmigaPeriod(uint8_t note, int modFinetune);
