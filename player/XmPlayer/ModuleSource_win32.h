#pragma once
#include <windows.h>

#include "ModuleSource.h"

// Opens an RCDATA resource of `module` (null: this program). A missing resource
// leaves an empty source, which the loader rejects.
void openResourceSource(ModuleSource &source, HMODULE module, const char *name);
// Opens a file for windowed reading; a file that cannot be opened reads as zeros.
void openFileSourceByPath(ModuleSource &source, const char *path);
// Closes the file of a file source; nothing for the others.
void closeSource(ModuleSource &source);
