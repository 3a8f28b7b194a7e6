#include "DialogControls.h"

#include "PathText.h"

int BoxForDroppedFile(const std::string &path) {
  const std::string extension = ExtensionOf(LowerAscii(path));
  if (extension == ".tga")
    return FontPathBox;
  if (extension == ".xm" || extension == ".mod" || extension == ".s3m" || extension == ".it")
    return MusicPathBox;
  if (extension == ".ico")
    return IconPathBox;
  return 0;
}
