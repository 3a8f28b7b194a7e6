#include "NewNoteActions.h"

NoteSpreading SpreadNewNoteActions(ScreamSong &) { return {}; }

std::vector<std::string> NoteSpreadingWarnings(const NoteSpreading &) { return {}; }
