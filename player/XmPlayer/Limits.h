#pragma once

// The bounds every part of the music unit keeps its numbers in.

template <typename T> constexpr T minOf(T a, T b) { return b < a ? b : a; }
template <typename T> constexpr T maxOf(T a, T b) { return a < b ? b : a; }
template <typename T> constexpr T clampTo(T value, T lowest, T highest) {
  return value < lowest ? lowest : value > highest ? highest : value;
}
