#pragma once
#include <cstdint>
#include <string>

#include "XmLoader.h"

// Why a module cannot play, in words, for the tools that tell a user; the player
// itself never shows them. `bytes` is the module as read, for what its header says
// (an old format version explains most broken patterns):
//   "a pattern has 0 rows or more than 256 (the file is an XM of version 1.02, ...)"
std::string explainRejection(XmRejection why, const uint8_t *bytes, uint32_t size);
