#include "IntroSettings.h"
#include "StreamUnit/ResourceStream.h"
#include "UTypes.h"

void LoadSettings() {
  TResourceStream resource(GetModuleHandleA(nullptr), SettingsResourceName, RT_RCDATA);
  LoadSettingsFrom(resource, IntroSettings);
}
