#include "DemoTune.h"

#include <vector>

#include "Instruments.h"
#include "Score.h"

namespace {

std::string repeat(const char *bar, int times) {
  std::string rows;
  for (int i = 0; i < times; ++i)
    rows += bar;
  return rows;
}

std::string rest(int rows) { return std::string(size_t(rows), '.'); }

const char *const FourOnTheFloor = "x...x...x...x...";
const char *const Backbeat = "....x.......x...";
const char *const OctaveBass = "r.R.r.R.r.R.r.R.";
const char *const OffbeatHats = "c.occ.occ.occ.oc";
const char *const SkippingArp = "x..x..x.x..x..x.";
const char *const EighthArp = "x.x.x.x.x.x.x.x.";

Section intro() {
  return {"C G Am F",
          rest(32) + FourOnTheFloor + "x...x...x...x.x.",
          rest(48) + "....x...x...x.xx",
          rest(16) + "c.c.c.c.c.c.c.c." + repeat("c.o.c.o.c.o.c.o.", 2),
          rest(32) + repeat(OctaveBass, 2),
          repeat("x...x...x...x...", 4),
          true,
          "r:64"};
}

// Rising chords and a snare roll that speeds up into the main theme.
Section buildUp() {
  return {"Dm Em F G",
          repeat(FourOnTheFloor, 4),
          std::string(Backbeat) + "x...x...x...x..." + "x.x.x.x.x.x.x.x." + "5566778899xxrrrr",
          repeat(OffbeatHats, 3) + "cccccccccccccccc",
          repeat(OctaveBass, 4),
          repeat(SkippingArp, 4),
          false,
          "r:8 D5:2 E5:2 F5:4 | r:8 E5:2 F5:2 G5:4 | r:8 F5:2 G5:2 A5:4 | G5:2 A5:2 B5:2 C6:2 D6:8"};
}

Section mainTheme(bool opening, const char *lead) {
  return {"C G Am F",
          repeat(FourOnTheFloor, 3) + "x...x...x...x.x.",
          repeat(Backbeat, 3) + (opening ? "....x.......x.gx" : "....x.......x.xx"),
          (opening ? "C...c.occ.occ.oc" : OffbeatHats) + repeat(OffbeatHats, 3),
          repeat(OctaveBass, 4),
          repeat(SkippingArp, 4),
          false,
          lead};
}

Section variation(bool opening, const char *chords, const char *lead) {
  return {chords,
          repeat(FourOnTheFloor, 3) + "x...x...x.x.x.x.",
          repeat("....x..g....x..g", 3) + (opening ? "....x..g....x..g" : "....x..g..x.x.xx"),
          (opening ? "C...ccocccocccoc" : "ccocccocccocccoc") + repeat("ccocccocccocccoc", 3),
          repeat("r..r..R.r..r..R.", 4),
          repeat(EighthArp, 4),
          false,
          lead};
}

// Half time: the kick and snare thin out while the lead sings long notes.
Section breakdown() {
  return {"Am F C G",
          repeat("x.........x.....", 3) + "x.........x.x.x.",
          repeat("........x.......", 3) + "........x...x.xx",
          "C.c.c.c.c.c.c.c." + repeat("c.c.c.c.c.c.c.c.", 3),
          repeat("r.........r...R.", 4),
          repeat(EighthArp, 4),
          false,
          "E6:6 D6:2 C6:4 A5:4 | /C6:6 A5:2 F5:4 A5:4 | G5:6 C6:2 E6:4 G6:4 | /F6:8 D6:4 B5:4"};
}

std::vector<Section> sections() {
  return {
      intro(),
      buildUp(),
      mainTheme(true, "G5:3 E5:3 G5:2 C6:4 B5:2 C6:2 | D6:3 B5:3 G5:2 D6:6 r:2 | "
                      "E6:3 C6:3 A5:2 E6:4 D6:2 C6:2 | C6:3 A5:3 F5:2 A5:4 G5:4"),
      mainTheme(false, "G5:3 E5:3 G5:2 C6:4 D6:2 E6:2 | D6:3 B5:3 G5:2 B5:4 C6:2 D6:2 | "
                       "E6:3 C6:3 E6:2 A6:4 G6:2 E6:2 | F6:3 E6:3 C6:2 A5:2 /C6:6"),
      variation(true, "F G Em Am",
                "A5:2 C6:2 F6:3 E6:3 C6:2 A5:2 C6:2 | B5:2 D6:2 G6:3 F6:3 D6:2 B5:2 D6:2 | "
                "B5:3 E6:3 G6:2 /F#6:4 E6:4 | C6:2 E6:2 A6:8v r:4"),
      variation(false, "Dm G C C",
                "A5:2 D6:2 F6:3 E6:3 D6:2 A5:2 D6:2 | B5:2 D6:2 G6:3 F6:3 D6:2 B5:2 G5:2 | "
                "C6:3 E6:3 G6:2 E6:4 D6:2 C6:2 | D6:2 C6:12 r:2"),
      breakdown(),
  };
}

enum Pattern : uint8_t { IntroPattern, BuildUp, MainA, MainB, VariationA, VariationB, Breakdown };

// The build-up plays before the main theme both times: the song restarts with the
// same sounds still ringing as on the first pass.
const std::vector<uint8_t> Orders = {IntroPattern, BuildUp,   MainA, MainB, VariationA,
                                     VariationB,   Breakdown, MainA, MainB, BuildUp};
constexpr uint16_t RestartOrder = 2;

} // namespace

XmModuleSpec composeDemoTune() {
  XmModuleSpec m;
  m.name = "Sinestage demo";
  m.trackerName = "demotune";
  m.channels = TrackCount;
  m.orders = Orders;
  m.restartPosition = RestartOrder;
  m.tempo = 6;
  m.bpm = 150;
  for (const Section &section : sections())
    writeSection(m.addPattern(PatternRows), section);
  m.instruments = demoInstruments();
  return m;
}
