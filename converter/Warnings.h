#pragma once
#include <cstdint>
#include <string>

// The words of warnings that more than one format gives.

// "TEXT (N times)", or "TEXT (1 time)".
std::string Counted(const std::string &text, uint64_t count);

// A file that ends `missing` bytes before the end of its sample data.
std::string SamplesCutShort(uint64_t missing);
