#include "IntroSettings.h"

#include "UTypes.h"

TIntroSettings IntroSettings;

namespace {
// The text before the first separator; that text and the separator leave `rest`.
// Without a separator the field is empty and `rest` stays whole.
TByteString TakeField(TByteString &rest) {
  int32_t p = rest.Find(SettingsSeparator);
  TByteString field = p > 1 ? rest.Left(p - 1) : TByteString();
  rest.Delete(p);
  return field;
}

TByteString FirstCharacter(const TByteString &text) { return text.Left(1); }
} // namespace

void ParseSettingsText(const TByteString &text, TIntroSettings &settings) {
  if (text.IsEmpty())
    return;
  TByteString rest = text;
  settings.Title = TakeField(rest);
  settings.ScrollText = TakeField(rest);
  TByteString type = TakeField(rest);
  settings.ScrollType = int16_t(uint16_t(ParseInteger(type.Text(), type.Length())));
  settings.CloseOnClick = FirstCharacter(rest);
  rest.Delete(rest.Find(SettingsSeparator));
  settings.FullScreen = FirstCharacter(rest);
}

void LoadSettingsFrom(TStream &source, TIntroSettings &settings) {
  TStringStream text;
  text.CopyFromStream(source, 0);
  ParseSettingsText(text.GetDataString(), settings);
}
