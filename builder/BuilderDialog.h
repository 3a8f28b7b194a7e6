#pragma once
#include <windows.h>

// The builder's one dialog and the controls that the options are read from.

extern HWND DialogHandle;
extern HINSTANCE BuilderInstance;

// Control ids of the dialog template.
enum : int {
  BrowseFontButton = 601,
  BrowseMusicButton = 602,
  CreateButton = 603,
  ExitButton = 604,
  FontPathBox = 605,
  MusicPathBox = 606,
  TitleBox = 607,
  ScrollTextBox = 608,
  BrowseIconButton = 609,
  IconPathBox = 610,
  LineRadio = 611,
  WaveXRadio = 612,
  WaveYRadio = 613,
  WaveZRadio = 614,
  WaveYZRadio = 615,
  WaveXYRadio = 616,
  WaveXZRadio = 617,
  WaveXYZRadio = 618,
  CloseOnClickBox = 619,
  CloseOnEscBox = 620,
  RunIntroBox = 622,
  OpenFolderBox = 623,
  PackIntroBox = 624,
  WindowRadio = 625,
  FullScreenRadio = 626,
};

// Every control into BuilderOptions.
void ReadOptions();
