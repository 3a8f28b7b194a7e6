#pragma once
#include <string>
#include <vector>

#include "ScreamEffects.h"

// The warnings that tell a user what the XM of a Scream Tracker or Impulse Tracker
// song plays differently, one line per kind of loss with its count.
std::vector<std::string> ScreamWarnings(const ScreamLosses &losses);
