#pragma once
#include "XmWriter.h"

// The tune bundled with the intro: an intro, a build-up, a main theme in two halves,
// a variation in two halves and a breakdown; then the main theme returns and the
// build-up leads back into it, where the song restarts.
XmModuleSpec composeDemoTune();
