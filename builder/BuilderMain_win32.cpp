#include <windows.h>

#include "BuilderDialog.h"
#include "IntroCreation.h"

// Until the dialog is in place the builder makes one intro from the default options.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  BuilderInstance = instance;
  CreateIntro();
  return 0;
}
