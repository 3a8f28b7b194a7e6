#pragma once
#include <string>

// Renames `from` to `to` in one step, replacing a file that stands at `to`.
bool MoveOver(const std::string &from, const std::string &to);
