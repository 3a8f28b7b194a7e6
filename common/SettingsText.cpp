#include "UTypes.h"

namespace {
std::string WithoutSeparators(std::string text) {
  for (char &c : text)
    if (c == SettingsSeparator)
      c = ' ';
  return text;
}
} // namespace

std::string ComposeSettingsText(const SettingsFields &fields) {
  std::string text = WithoutSeparators(fields.Title);
  text += SettingsSeparator;
  text += WithoutSeparators(fields.ScrollText);
  text += SettingsSeparator;
  text += std::to_string(fields.ScrollType);
  text += SettingsSeparator;
  text += fields.CloseOnClick ? '1' : '0';
  text += SettingsSeparator;
  text += fields.FullScreen ? '1' : '0';
  return text;
}
