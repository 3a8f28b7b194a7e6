#pragma once
#include <string>

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
// True when the file opens for reading; an empty path never does.
bool FileReadable(const char *path);
// Writes a resource of the builder's own program out as a new file. The resource is
// loaded first, so a builder that cannot find it never truncates an existing file.
bool WritePlayerCopy(int resourceId, int resourceType, const char *outputPath);
// Adds the whole of a file, unconverted, as one resource of the target program.
void AddFileResource(const char *targetPath, const char *sourcePath, const char *resourceType,
                     const char *resourceName);

// The player copy and every readable input of `options`, without dialogs; false when
// not even the player copy could be written.
bool WriteIntroFile(const TBuilderOptions &options, const char *outputPath);
