#pragma once
#include <string>

#include "ModuleSource.h"
#include "SongArena.h"
#include "XmLoader.h"
#include "XmTypes.h"

// Loads module bytes into `song` from an arena that lives as long as the object.
struct LoadedSong {
  std::string bytes;
  SongArena arena;
  bool loaded = false;

  explicit LoadedSong(std::string moduleBytes) : bytes(std::move(moduleBytes)) {
    ModuleSource source;
    openMemorySource(source, bytes.data(), uint32_t(bytes.size()));
    loaded = loadSong(source, arena.heap());
  }
};
