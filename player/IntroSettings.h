#pragma once
#include <cstdint>

#include "StreamUnit/StreamUnit.h"

// What the intro shows and how, read once from its settings text before the window
// opens. The flags are one-character texts that mean "on" only when they hold "1".
struct TIntroSettings {
  TByteString Title;
  TByteString ScrollText;
  int16_t ScrollType = 89;
  TByteString CloseOnClick = "0";
  TByteString FullScreen = "0";
};

extern TIntroSettings IntroSettings;

// Splits a settings text into `settings`. Fields missing from a short text come out
// empty, and the later fields read from what is left.
void ParseSettingsText(const TByteString &text, TIntroSettings &settings);

// Copies the whole of `source` into a string stream and parses it.
void LoadSettingsFrom(TStream &source, TIntroSettings &settings);

// Reads resource "INFO" of the running program into IntroSettings.
void LoadSettings();
