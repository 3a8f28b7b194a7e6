#pragma once
#include <cstdint>
#include <string>

// The settings text an intro carries: five fields joined by '|', in this order,
// followed by one NUL that is part of the resource.
//   Title | ScrollText | ScrollType | CloseOnClick | FullScreen
constexpr char SettingsSeparator = '|';
constexpr const char *SettingsResourceName = "INFO";

// Scrolling types: 0 is the straight line, the others are the character codes of
// the axis letters and digits that name the waves.
enum ScrollingType : int32_t {
  ScrollLine = 0,
  ScrollWaveX = 'X',
  ScrollWaveY = 'Y',
  ScrollWaveZ = 'Z',
  ScrollWaveXY = '1',
  ScrollWaveXZ = '2',
  ScrollWaveYZ = '3',
  ScrollWaveXYZ = '4',
};

struct SettingsFields {
  std::string Title;
  std::string ScrollText;
  int32_t ScrollType = ScrollLine;
  bool CloseOnClick = false;
  bool FullScreen = false;
};

// The settings text without its NUL. A '|' typed into the title or the scroll text
// becomes a blank, so the text always has exactly five fields.
std::string ComposeSettingsText(const SettingsFields &fields);

// Decimal with optional blanks and sign, or hexadecimal after "$", "x" or "0x".
// Stops at the first non-digit and before a digit that would overflow; no digits
// gives 0.
int32_t ParseInteger(const char *text, int32_t length);
