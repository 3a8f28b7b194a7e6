#pragma once
#include <string>

#include "ModuleSource.h"
#include "SongArena.h"
#include "XmLoader.h"
#include "XmState.h"

// Loads module bytes into `song` from an arena that lives as long as the object;
// `rejection` says why the loader refused them.
struct LoadedSong {
  std::string bytes;
  SongArena arena;
  XmRejection rejection;
  bool loaded;

  explicit LoadedSong(std::string moduleBytes) : bytes(std::move(moduleBytes)) {
    ModuleSource source;
    openMemorySource(source, bytes.data(), uint32_t(bytes.size()));
    rejection = loadModule(source, arena.heap());
    loaded = rejection == XmAccepted;
  }
};
