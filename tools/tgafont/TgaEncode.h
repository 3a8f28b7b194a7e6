#pragma once
#include <string>

#include "SheetDrawing.h"

// A 32-bit true-colour TGA of the sheet, rows bottom first as TGA stores them by default.
std::string EncodeTga(const Sheet &sheet);
