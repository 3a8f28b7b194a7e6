#pragma once
#include <windows.h>

#include "DialogControls.h"

// The builder's one dialog and the controls that the options are read from.

extern HWND DialogHandle;
extern HINSTANCE BuilderInstance;


constexpr int BuilderDialogId = 101;
constexpr int BuilderIconId = 1;

INT_PTR CALLBACK BuilderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Every control into BuilderOptions.
void ReadOptions();
// The states the dialog starts with.
void SetDefaultChecks();
// An open-file dialog; false when the user cancels or the dialog fails.
bool BrowseForFile(HWND owner, const char *filter, const char *title, char (&path)[MAX_PATH + 1]);
// The first dropped file goes into the box its extension selects.
void HandleDroppedFile(HDROP drop);
