#include "TgaEncode.h"

namespace {

constexpr uint8_t TypeTrueColour = 2;
constexpr uint8_t TypeRunLength = 10;
constexpr uint8_t AlphaBits = 8; // image descriptor: 8 alpha bits, bottom-left origin
constexpr int MaxPacketPixels = 128;
constexpr uint8_t RunPacket = 0x80;

void PutWord(std::string &out, int value) {
  out += char(value & 0xFF);
  out += char(value >> 8 & 0xFF);
}

std::string Header(uint8_t type, const Sheet &sheet) {
  std::string h(12, '\0'); // no image ID, no colour map, origin 0, 0
  h[2] = char(type);
  PutWord(h, sheet.width);
  PutWord(h, sheet.height);
  h += char(32);
  h += char(AlphaBits);
  return h;
}

void PutPixel(std::string &out, const Rgba &p) {
  out += char(p.b);
  out += char(p.g);
  out += char(p.r);
  out += char(p.a);
}

const Rgba *Row(const Sheet &sheet, int fromBottom) {
  return sheet.pixels.data() + size_t(sheet.height - 1 - fromBottom) * sheet.width;
}

std::string RawPixels(const Sheet &sheet) {
  std::string out;
  for (int y = 0; y < sheet.height; y++)
    for (int x = 0; x < sheet.width; x++)
      PutPixel(out, Row(sheet, y)[x]);
  return out;
}

int RunLengthAt(const Rgba *row, int from, int width) {
  int length = 1;
  while (from + length < width && length < MaxPacketPixels && row[from + length] == row[from])
    length++;
  return length;
}

// Two or more equal pixels make a run packet, whatever lies between runs raw packets.
// Packets stay within a row, as readers of the format expect.
void PutRowPackets(std::string &out, const Rgba *row, int width) {
  int x = 0;
  while (x < width) {
    int run = RunLengthAt(row, x, width);
    if (run >= 2) {
      out += char(RunPacket | (run - 1));
      PutPixel(out, row[x]);
      x += run;
      continue;
    }
    int raw = 1;
    while (x + raw < width && raw < MaxPacketPixels && RunLengthAt(row, x + raw, width) < 2)
      raw++;
    out += char(raw - 1);
    for (int i = 0; i < raw; i++)
      PutPixel(out, row[x + i]);
    x += raw;
  }
}

std::string RunLengthPixels(const Sheet &sheet) {
  std::string out;
  for (int y = 0; y < sheet.height; y++)
    PutRowPackets(out, Row(sheet, y), sheet.width);
  return out;
}

} // namespace

// Intros are judged by their size, so the font is run-length encoded whenever that is
// smaller, which for glyphs on a transparent ground it always is by far.
std::string EncodeTga(const Sheet &sheet) {
  std::string packed = RunLengthPixels(sheet);
  if (packed.size() < sheet.pixels.size() * 4)
    return Header(TypeRunLength, sheet) + packed;
  return Header(TypeTrueColour, sheet) + RawPixels(sheet);
}
