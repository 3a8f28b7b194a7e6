#include <cstdlib>

#include "FontTexture.h"
#include "GLHeaders.h"
#include "TgaImage.h"

uint32_t FontTexture = 0;

uint32_t MakeTexture(uint16_t width, uint16_t height, uint32_t format, const void *pixels) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  GLint components = format == GL_RGBA ? GL_RGBA : 3;
  gluBuild2DMipmaps(GL_TEXTURE_2D, components, width, height, format, GL_UNSIGNED_BYTE, pixels);
  return name;
}

void LoadFontTextureFrom(TStream &source) {
  int64_t size = source.GetSize();
  if (size <= 0 || size > 0x7FFFFFFF)
    return;
  uint8_t *bytes = static_cast<uint8_t *>(malloc(size_t(size)));
  if (!bytes)
    return;
  source.SetPosition(0);
  int32_t arrived = source.Read(bytes, int32_t(size));
  TFontImage image;
  if (arrived > 0 && DecodeTga(bytes, uint32_t(arrived), image)) {
    GLenum format = image.BytesPerPixel == 4 ? GL_RGBA : GL_RGB;
    FontTexture = MakeTexture(image.Width, image.Height, format, image.Pixels);
    FreeFontImage(image);
  }
  free(bytes);
}
