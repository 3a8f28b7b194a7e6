#include "FontTexture.h"
#include "StreamUnit/ResourceStream.h"

void LoadFontTexture() {
  TResourceStream font(GetModuleHandleA(nullptr), "Font", RT_RCDATA);
  LoadFontTextureFrom(font);
}
