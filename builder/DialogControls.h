#pragma once
#include <string>

// The builder dialog's controls, as its template numbers them.
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

// The path box a dropped file belongs in by its extension, in any letter case:
// FontPathBox, MusicPathBox, IconPathBox, or 0 for any other file.
int BoxForDroppedFile(const std::string &path);
