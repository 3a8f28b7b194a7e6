#include <windows.h>

#include "BuilderDialog.h"

// The builder is its dialog: the program ends when the dialog does.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  BuilderInstance = instance;
  DialogBoxParamA(instance, MAKEINTRESOURCEA(BuilderDialogId), nullptr, BuilderDialogProc, 0);
  return 0;
}
