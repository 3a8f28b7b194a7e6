#include "BuilderOptions.h"

#include "PathText.h"
#include "UTypes.h"

TBuilderOptions BuilderOptions;

namespace {
bool IsOn(const char *flag) { return flag[0] == '1' && flag[1] == '\0'; }

bool EndsWithExe(const std::string &path) { return LowerAscii(ExtensionOf(path)) == ".exe"; }
} // namespace

std::string SettingsTextOf(const TBuilderOptions &options) {
  SettingsFields fields;
  fields.Title = options.Title;
  fields.ScrollText = options.ScrollText;
  fields.ScrollType = options.ScrollType;
  fields.CloseOnClick = IsOn(options.CloseOnClick);
  fields.FullScreen = IsOn(options.FullScreen);
  return ComposeSettingsText(fields);
}

std::string OutputPathFor(const std::string &chosen, bool chosenExists) {
  if (chosenExists || EndsWithExe(chosen))
    return chosen;
  return chosen + ".exe";
}
