#pragma once
#include <windows.h>

#include "IconFile.h"

// The intro's icon: the images of an icon file as RT_ICON resources and one
// RT_GROUP_ICON that lists them.

constexpr WORD IconLanguage = 1033;

// Reads a whole icon file; anything but IcoProblem::None leaves `icon` empty. A file
// that cannot be read counts as shorter than a header.
IcoProblem ReadIconFile(const char *path, Ico &icon);

// Queues the group, then every image, and commits them together; true when the
// update of the target was committed.
bool WriteIconResources(const char *targetPath, const Ico &icon, WORD firstId, WORD groupId, WORD language);
