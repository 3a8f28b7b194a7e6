#pragma once
#include <cstdint>
#include <vector>

#include "XmWriter.h"

// The demo tune's instruments, by their 1-based numbers in the module.
enum Instrument : uint8_t { Kick = 1, Snare, ClosedHat, OpenHat, Crash, Bass, Lead, Echo, Arp, Pad };

std::vector<XmInstrumentSpec> demoInstruments();
