#pragma once
#include <windows.h>

// The open and save dialogs as both builders' choosers use them: an empty file
// buffer of 261 bytes (the box's current path is not offered), no initial folder,
// the given filter and title, and OFN_HIDEREADONLY alone, so there is no prompt
// before a file is replaced and no default extension. False on a cancel or failure.
bool ShowFileDialog(bool save, HWND owner, const char *filter, const char *title, char (&path)[MAX_PATH + 1]);
