#pragma once
#include <cstdint>
#include <string>

// What the user chose for one intro. The dialog fills it from its controls before
// every build; sinebuild fills it from its command line. The flags hold "1" for on;
// anything else, the empty text of a fresh record included, is off. All zero at
// start, the record takes no room in the program file.
constexpr int32_t OptionTextBytes = 65536;

struct TBuilderOptions {
  char MusicPath[OptionTextBytes];
  char FontPath[OptionTextBytes];
  char IconPath[OptionTextBytes];
  char Title[OptionTextBytes];
  char ScrollText[OptionTextBytes];
  int32_t ScrollType;
  bool RunIntro;
  bool PackIntro;
  bool OpenFolder;
  char CloseOnClick[2];
  char FullScreen[2];
};

extern TBuilderOptions BuilderOptions;

// Copies `text` into an option buffer, cut to what the buffer holds with its NUL.
template <int32_t N> void SetOptionText(char (&buffer)[N], const std::string &text) {
  const size_t length = text.size() < size_t(N - 1) ? text.size() : size_t(N - 1);
  text.copy(buffer, length);
  buffer[length] = '\0';
}

// The settings text that the intro carries as "Info", without its NUL.
std::string SettingsTextOf(const TBuilderOptions &options);

// Where an intro is written when the user chose `chosen`: an existing file is
// replaced under its own name; a new name gets ".exe" unless it ends in it already,
// in any letter case.
std::string OutputPathFor(const std::string &chosen, bool chosenExists);
