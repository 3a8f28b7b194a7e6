#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Turns a module file into the XM 1.04 module the player loads: old XM layouts,
// instruments of more than 16 samples, XM files whose parts the player would take
// at the wrong size, and MOD files. A file the player already reads as its tracker
// does comes back byte for byte.
//
//   ConvertedModule m = ConvertModule(bytes, size);
//   if (!m.ok) report(m.rejection);                // "an S3M module; only XM and MOD ..."
//   else { print(m.description); for (w : m.warnings) print(w); use(m.xm); }
struct ConvertedModule {
  bool ok = false;
  std::string xm;                    // the module to carry
  std::string description;           // "4-channel ProTracker module, 31 samples -> XM"
  std::vector<std::string> warnings; // what the XM plays differently, one line each
  std::string rejection;             // why the file cannot be used, when !ok
};

ConvertedModule ConvertModule(const uint8_t *bytes, size_t size);

// The lines that tell a user about a conversion of the file `name`: "NAME: DESCRIPTION",
// then "NAME: warning: ..." for each warning.
std::vector<std::string> ConversionReport(const std::string &name, const ConvertedModule &module);
