#include "Warnings.h"

std::string Counted(const std::string &text, uint64_t count) {
  return text + " (" + std::to_string(count) + (count == 1 ? " time)" : " times)");
}

std::string SamplesCutShort(uint64_t missing) {
  return "the file ends " + std::to_string(missing) +
         " bytes before the end of its sample data; what it does not hold is not played";
}
