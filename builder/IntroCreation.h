#pragma once
#include <string>
#include <vector>

#include <windows.h>

#include "BuilderOptions.h"

// Writing an intro: the builder's own copy of the player, then the user's files and
// the settings text added to it as resources, each in an update of its own.

constexpr int PlayerResourceId = 1300;
constexpr WORD IntroLanguage = 0x1401;

// What "Create" does: asks where to save, writes the intro, packs it when asked,
// says so, then starts it and opens its folder as the options say.
void CreateIntro();

// The save dialog; false when the user cancels or the dialog fails.
bool ChooseOutputFile(HWND owner, const char *filter, const char *title, std::string &path);
// Writes a resource of the builder's own program out as a new file; true when all of
// it was written. The resource is loaded first, so a builder that cannot find it
// never truncates an existing file.
bool WritePlayerCopy(int resourceId, int resourceType, const char *outputPath);
// Adds the whole of a file, unconverted, as one resource of the target program; false
// when the target could not be updated. A source that cannot be opened or mapped (an
// empty file) adds nothing and is not the target's failure.
bool AddFileResource(const char *targetPath, const char *sourcePath, const char *resourceType,
                     const char *resourceName);

// What a build put on disk: whether the new intro now stands at the target, the
// parts the user gave that could not be added to it ("font", "music", "icon",
// "settings"), in the order they were tried, and whether a whole intro was kept from
// the target because another program (the intro itself, running) has it open. A
// build that lacks any part is not put in place.
struct TIntroWrite {
  bool Written = false;
  std::vector<std::string> NotAdded;
  bool InUse = false;
};

// The player copy and every readable input of `options`, without dialogs. The target
// is replaced in one step when all of it is made, and left as it was otherwise.
TIntroWrite WriteIntroFile(const TBuilderOptions &options, const char *outputPath);
// The parts a build could not add, joined by ", ".
std::string NotAddedText(const TIntroWrite &written);
