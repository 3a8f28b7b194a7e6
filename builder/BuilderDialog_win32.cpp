#include "BuilderDialog.h"

#include "BuilderOptions.h"
#include "UTypes.h"

HWND DialogHandle;
HINSTANCE BuilderInstance;

namespace {
constexpr WPARAM TitleLimit = 1256;

struct RadioCode {
  int id;
  int32_t code;
};

// Asked in this order; the first checked one gives the scrolling type.
constexpr RadioCode ScrollRadios[] = {
    {LineRadio, ScrollLine},     {WaveXRadio, ScrollWaveX},     {WaveYRadio, ScrollWaveY},
    {WaveZRadio, ScrollWaveZ},   {WaveYZRadio, ScrollWaveYZ},   {WaveXYRadio, ScrollWaveXY},
    {WaveXZRadio, ScrollWaveXZ}, {WaveXYZRadio, ScrollWaveXYZ},
};

bool Checked(int id) { return SendDlgItemMessageA(DialogHandle, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void ReadFlag(int id, char (&flag)[2]) { flag[0] = Checked(id) ? '1' : '0'; }

// The whole buffer is offered, NUL included, so no text can run past it.
template <int32_t N> void ReadText(int id, char (&buffer)[N]) {
  buffer[0] = '\0';
  GetDlgItemTextA(DialogHandle, id, buffer, N - 1);
}
} // namespace

void ReadOptions() {
  SendDlgItemMessageA(DialogHandle, TitleBox, EM_LIMITTEXT, TitleLimit, 0);
  ReadText(FontPathBox, BuilderOptions.FontPath);
  ReadText(MusicPathBox, BuilderOptions.MusicPath);
  ReadText(TitleBox, BuilderOptions.Title);
  ReadText(ScrollTextBox, BuilderOptions.ScrollText);
  ReadText(IconPathBox, BuilderOptions.IconPath);
  for (const RadioCode &radio : ScrollRadios)
    if (Checked(radio.id)) {
      BuilderOptions.ScrollType = radio.code;
      break;
    }
  ReadFlag(CloseOnClickBox, BuilderOptions.CloseOnClick);
  BuilderOptions.RunIntro = Checked(RunIntroBox);
  BuilderOptions.OpenFolder = Checked(OpenFolderBox);
  BuilderOptions.PackIntro = Checked(PackIntroBox);
  ReadFlag(FullScreenRadio, BuilderOptions.FullScreen);
}
