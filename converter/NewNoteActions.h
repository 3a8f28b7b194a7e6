#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "ScreamSong.h"

struct NoteSpreading {
  size_t channelsAdded = 0;
};

NoteSpreading SpreadNewNoteActions(ScreamSong &song);

std::vector<std::string> NoteSpreadingWarnings(const NoteSpreading &spreading);
